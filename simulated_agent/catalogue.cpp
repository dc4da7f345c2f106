#include "simulated_agent/catalogue.h"

namespace {

const wchar_t kSecurityText[] =
    L"A security issue has been identified that could allow an attacker to compromise a "
    L"system and gain control over it. You can help protect your computer by installing this "
    L"update. After you install this item, you may have to restart your computer.";

const wchar_t kRollupText[] =
    L"Install this update to resolve issues in Windows. For a complete listing of the issues "
    L"that are included in this update, see the associated Knowledge Base article. After you "
    L"install this item, you may have to restart your computer.";

TSimulatedUpdate MakeUpdate(const wchar_t* title, std::vector<std::wstring> kbs, bool autoSelect,
                            const wchar_t* description, const wchar_t* id, ULONGLONG size,
                            DATE deployed) {
  TSimulatedUpdate update;
  update.title = title;
  update.kbArticleIds = std::move(kbs);
  update.autoSelect = autoSelect;
  update.description = description;
  update.updateId = id;
  update.sizeBytes = size;
  update.deployed = deployed;
  return update;
}

}  // namespace

DATE SimulatedDate(WORD year, WORD month, WORD day) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = 12;
  DATE date = 0;
  if (!SystemTimeToVariantTime(&time, &date)) return 0;
  return date;
}

TSimulatedCatalogue DefaultSimulatedCatalogue() {
  TSimulatedCatalogue catalogue;
  auto& updates = catalogue.updates;

  updates.push_back(MakeUpdate(
      L"2019-10 Security Monthly Quality Rollup for Windows 7 for x64-based Systems (KB4519976)",
      {L"4519976"}, true, kRollupText, L"b087a072-07e1-48fd-a62d-7e7ff505d5bc", 404213760ull,
      SimulatedDate(2019, 10, 8)));
  updates.back().rebootRequired = true;

  updates.push_back(MakeUpdate(L"Security Update for Windows 7 for x64-based Systems (KB4012212)",
                               {L"4012212"}, false, kSecurityText,
                               L"5e3e96a1-b0a1-4d1e-9c3d-3e4fafb45e6d", 34865152ull,
                               SimulatedDate(2017, 3, 14)));
  updates.back().rebootRequired = true;

  updates.push_back(
      MakeUpdate(L"Servicing Stack Update for Windows 7 for x64-based Systems (KB4516655)",
                 {L"4516655"}, false,
                 L"Install this update to improve the servicing stack, the component that installs "
                 L"updates. A servicing stack update keeps later updates installing reliably.",
                 L"505db252-c618-4ca7-8a5d-c6e09cb4a66d", 10485760ull, SimulatedDate(2019, 9, 10)));

  updates.push_back(MakeUpdate(
      L".NET Framework 4.8 for Windows 7 for x64 (KB4503548)", {L"4503548"}, false,
      L".NET Framework 4.8 is a highly compatible, in-place update to earlier 4.x versions. "
      L"By installing this update you accept its licence terms.",
      L"72b56f90-1afe-45ff-bbdf-5650472012bc", 122683392ull, SimulatedDate(2019, 5, 14)));
  updates.back().eulaRequired = true;

  updates.push_back(MakeUpdate(
      L"Definition Update for Windows Defender Antivirus - KB2267602 (Definition 1.303.1224.0)",
      {L"2267602"}, false,
      L"Install this update to revise the files that are used to detect viruses, spyware and "
      L"other potentially unwanted software. Once you have installed this item, it cannot be "
      L"removed.",
      L"1cc0f3b7-a08a-4a36-ae61-9d99889540c7", 1572864ull, SimulatedDate(2019, 10, 21)));

  updates.push_back(MakeUpdate(
      L"Malicious Software Removal Tool x64 - October 2019 (KB890830)", {L"890830"}, false,
      L"After the download, this tool runs one time to check your computer for infection by "
      L"specific, prevalent malicious software and helps remove any infection that is found.",
      L"4c146ddd-f380-420c-abf5-a7e4290c0952", 60817408ull, SimulatedDate(2019, 10, 8)));

  updates.push_back(MakeUpdate(
      L"Cumulative Security Update for Internet Explorer 11 for Windows 7 for x64-based Systems "
      L"(KB4519974)",
      {L"4519974"}, false, kSecurityText, L"3c0e3b66-dea8-41ac-a756-f9dccef6660a", 57671680ull,
      SimulatedDate(2019, 10, 8)));
  updates.back().rebootRequired = true;

  updates.push_back(MakeUpdate(
      L"Windows 7 Language Pack Update for x64-based Systems (KB2483139)", {L"2483139"}, false,
      L"Language packs let you view wizards, dialog boxes, menus and other items in the "
      L"language of your choice.",
      L"16bd157e-3e0d-4404-a610-36c565e06f10", 52428800ull, SimulatedDate(2011, 2, 22)));

  return catalogue;
}
