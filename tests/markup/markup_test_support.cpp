#include "markup_test_support.h"

#include <stdexcept>

namespace markup_test {

GuardedBlock::GuardedBlock(const Bytes& bytes) : GuardedBlock(bytes.data(), bytes.size()) {}

GuardedBlock::GuardedBlock(const void* data, size_t size) : size_(size) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  const size_t pages = size == 0 ? 1 : (size + page - 1) / page;
  // Reserved pages on both sides stay inaccessible.
  base_ = static_cast<unsigned char*>(
      VirtualAlloc(nullptr, (pages + 2) * page, MEM_RESERVE, PAGE_NOACCESS));
  if (!base_) throw std::runtime_error("VirtualAlloc reserve");
  unsigned char* usable = static_cast<unsigned char*>(
      VirtualAlloc(base_ + page, pages * page, MEM_COMMIT, PAGE_READWRITE));
  if (!usable) throw std::runtime_error("VirtualAlloc commit");
  data_ = usable + pages * page - size;
  if (size) memcpy(data_, data, size);
  DWORD old = 0;
  VirtualProtect(usable, pages * page, PAGE_READONLY, &old);
}

GuardedBlock::~GuardedBlock() {
  if (base_) VirtualFree(base_, 0, MEM_RELEASE);
}

CurrentDirectoryGuard::CurrentDirectoryGuard(const std::wstring& folder) {
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  previous_ = current;
  SetCurrentDirectoryW(folder.c_str());
}

CurrentDirectoryGuard::~CurrentDirectoryGuard() {
  SetCurrentDirectoryW(previous_.c_str());
}

const std::string& SampleSkin() {
  static const std::string skin = R"(<?xml version="1.0" encoding="utf-8" standalone="yes" ?>
<Window size="650,400" caption="0,0,572,35" roundcorner="5,6">
    <Font name="Tahoma" size="19" bold="true" italic="false" />
    <Font name="Tahoma" size="13" bold="false" italic="false" />
    <Font name="Tahoma" size="16" bold="true" italic="false" />
    <Font name="Tahoma" size="24" bold="true" italic="false" />
    <Font name="Tahoma" size="12" bold="true" italic="false" />
    <!-- class defaults for the scroll bars -->
    <Default name="VScrollBar" value="button1normalimage=&quot;file='vscroll.png'&#x09;source='0,0,13,13'&quot; button2normalimage=&quot;file='vscroll.png' source='0,13,13,26' mask='#FFFF00FF'&quot; thumbnormalimage=&quot;file='vscroll.png' source='0,0,16,38' corner='2,2,2,2' mask='#FFFF00FF'&quot; bknormalimage=&quot;file='vscroll.png' source='0,38,16,52' corner='2,2,2,2' mask='#FFFF00FF'&quot; showbutton1=&quot;false&quot; showbutton2=&quot;false&quot;" />
    <Default name="HScrollBar" value="button1normalimage=&quot;file='vscroll-2.png' source='0,0,13,13' mask='#FFFF00FF'&quot; thumbnormalimage=&quot;file='vscroll-2.png' source='0,0,587,16' corner='2,2,2,2' mask='#FFFF00FF'&quot; showbutton1=&quot;false&quot; showbutton2=&quot;false&quot;" />
    <Container width="650" height="383" bkimage="bg.png" menu="true">
        <Button name="BtnMiniSize" float="true" pos="575,0,613,20" maxwidth="99999" maxheight="99999" bkimage="btn_min.png" normalimage="file='btn_min.png' source='0,0,37,20'" hotimage="file='btn_min.png' source='0,21,38,40'" pushedimage="file='btn_min.png' source='0,21,38,40'" relativepos="0,0,0,0" textcolor="#FF000000" disabledtextcolor="#FFA7A6AA" align="center" />
        <Button name="BtnClose" float="true" pos="613,0,650,20" maxwidth="99999" maxheight="99999" normalimage="file='btn_close.png' source='0,0,34,20' corner='4,4,4,4'" hotimage="file='btn_close.png' source='0,20,34,40'" relativepos="0,0,0,0" align="center" />
        <Control name="Control_Bottom" float="true" pos="2,216,652,346" maxwidth="99999" maxheight="99999" bkimage="bg_bottom.png" />
        <Label name="LabelTitle" float="true" pos="3,0,524,38" text="Patchwell" textcolor="#00FFFFFF" disabledtextcolor="#00FFFFFF" font="0" />
        <HorizontalLayout float="true" pos="30,229,524,331">
            <Text name="Text_Msg" float="true" pos="0,0,493,100" textpadding="2,0,2,0" textcolor="#00808080" font="4" align="wrap" endellipsis="true" />
        </HorizontalLayout>
        <Button name="Btn_Scan" float="true" pos="439,353,528,383" text="Scan" textcolor="#005A5A5A" disabledtextcolor="#00FFFFFF" font="2" align="center" normalimage="file='pach_button.png' source='0,0,90,29'" pushedimage="file='pach_button.png' source='0,29,90,58'" disabledimage="file='pach_button.png' source='0,58,90,87'" />
        <Progress name="Progress_Action" float="true" pos="49,129,622,155" visible="false" bkimage="Progress_2.png" foreimage="file='Progress_1.png' corner='10,5,10,5'" min="0" max="100" value="0" hor="true" isstretchfore="false" showhtml="true" />
        <List name="List_Holes" float="true" pos="12,51,642,202" itemtextcolor="#FF000000" itemselectedbkcolor="#FFC1E3FF" itemhotbkcolor="#FFE9F5FF" headerbkimage="head_bk.png" vscrollbar="true" hscrollbar="true">
            <ListHeader height="32" bkimage="head_bk.png" menu="true">
                <ListHeaderItem width="26" height="25" minwidth="26" sepwidth="1" align="center" sepimage="file='head_fg.png'" />
                <ListHeaderItem text="Title" width="355" height="25" minwidth="16" sepwidth="1" align="center" sepimage="file='head_fg.png'" />
                <ListHeaderItem text="Date" width="172" height="25" minwidth="16" />
                <ListHeaderItem text="Size" width="62" height="25" minwidth="16" />
            </ListHeader>
        </List>
        <Option name="Check_All" float="true" pos="17,58,35,72" normalimage="file='Check_Box.png' dest='0,0,13,13' source='0,2,13,15'" selectedimage="file='Check_Box.png' dest='0,0,17,13' source='0,17,17,30'" />
        <Text name="Text_Result2" float="true" pos="162,158,601,214" text="You need to reboot your computer now to ensure important updates installed correctly. Or you can choose to restart your computer later." visible="false" font="2" align="wrap" />
        <Label name="Label_State" float="true" pos="47,92,608,122" text=" " font="2" endellipsis="true" />
        <Text name="Text_1" float="true" pos="133,81,578,106" text="Guickly and easily downloads &amp; installs updates from microsoft" textpadding="2,4,2,0" font="4" align="wrap" />
        <Option name="Option_RestartNow" float="true" pos="311,250,434,266" text="Restart PC Now" visible="false" group="restart" selected="true" textpadding="15,0,0,0" font="4" align="center" />
    </Container>
</Window>
)";
  return skin;
}

Bytes SampleSkinArchive() {
  std::vector<TestZipEntry> entries;
  auto add = [&entries](const std::string& name, const std::string& data, bool deflate) {
    TestZipEntry entry;
    entry.name = name;
    entry.data = data;
    entry.deflate = deflate;
    entries.push_back(entry);
  };
  add("MainSkin.xml", SampleSkin(), true);
  std::string picture;
  for (int i = 0; i < 3000; ++i) picture += static_cast<char>((i * 7) ^ (i >> 3));
  add("bg.png", picture, true);
  add("checked.png", picture.substr(0, 700), false);
  add("skin/uncheck.png", picture.substr(100, 900), true);
  entries.back().localExtra = TimestampExtra(1600000000, 1600000100, 1600000200);
  entries.back().centralExtra = TimestampExtra(1600000000, 0, 0);
  return BuildTestZip(entries, "skin archive");
}

}  // namespace markup_test
