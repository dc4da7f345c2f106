#pragma once
// Builds uncompressed cabinets in memory, for catalogues whose contents are
// only known at test time (the server's port) or whose entry names no
// archiving tool would write.

#include <string>
#include <vector>

struct CabinetEntry {
  std::string name;
  std::string data;
};

std::string MakeCabinet(const std::vector<CabinetEntry>& entries);
