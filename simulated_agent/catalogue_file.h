#pragma once
// Reading a catalogue of the simulated agent from a text file. Only the
// simulated build reads one, named by the environment variable
// PATCHWELL_SIM_CATALOGUE; the product never does.
//
// The file is UTF-8 text, one "key = value" per line. Blank lines and lines
// whose first non-blank character is '#' are skipped; spaces around keys and
// values are dropped. Keys before the first "[update]" line describe the
// agent; every "[update]" line starts a new update, and the keys after it
// describe that update. Numbers are decimal, or hexadecimal after "0x".
//
//   agent_version = 7.6.7601.24436     version the agent information reports
//   search_ms = 1500                   how long a search takes
//   pace_ms = 400                      milliseconds between progress reports
//   steps_per_update = 4               progress reports per update (1 to 100)
//   callback_thread = agent            where job callbacks arrive: "agent" (a
//       thread of the agent's own) or "starting" (the thread that began the
//       job, from its message loop)
//   abort_never_completes = false      true: a job asked to abort never
//       completes; only CleanUp ends it
//   fail.<operation> = 0x80004005      that whole operation fails with it;
//       operations: create_session, create_collection, create_agent_info,
//       get_info, create_searcher, search, create_downloader,
//       create_installer, begin_download, begin_install, end_download,
//       end_install
//
//   [update]
//   title = Security Update for Windows 7 (KB4012212)
//   kb = 4012212, 2483139              KB article ids, comma separated
//   auto_select = true                 true or false
//   description = Text shown for the update.
//   id = 5e3e96a1-b0a1-4d1e-9c3d-3e4fafb45e6d
//   size = 34865152                    bytes
//   date = 2017-03-14                  deployment date, UTC; may add " 10:30:00"
//   download = 2 0x00000000            result code (2 to 5) and HRESULT
//   install = 4 0x80070643
//   eula_required = true               install fails until AcceptEula is called
//   reboot_required = true
//   fail_reads = item, title           reads of this update that fail; names:
//       item, title, description, identity, kb, auto_select, size, date,
//       accept_eula, update_id, kb_count, kb_item
//
// An update's unset keys keep the defaults of TSimulatedUpdate; unset agent
// keys keep those of TSimulatedCatalogue. The file replaces the default
// catalogue's updates: a file without "[update]" lines gives an agent that
// finds nothing.

#include "simulated_agent/catalogue.h"

#include <string>

extern const wchar_t kSimulatedCatalogueVariable[];  // L"PATCHWELL_SIM_CATALOGUE"

// The same from text already read; false with a message naming the line.
bool ParseSimulatedCatalogue(const std::wstring& text, TSimulatedCatalogue& catalogue,
                             std::wstring& error);

// False with a message naming the line when the file cannot be read or a line
// is not understood; `catalogue` is left unchanged then.
bool LoadSimulatedCatalogueFile(const std::wstring& path, TSimulatedCatalogue& catalogue,
                                std::wstring& error);

// The catalogue file named by the environment variable, or the default
// catalogue when the variable is unset or empty. False (and the default
// catalogue) when the named file cannot be loaded.
bool LoadSimulatedCatalogueFromEnvironment(TSimulatedCatalogue& catalogue, std::wstring& error);
