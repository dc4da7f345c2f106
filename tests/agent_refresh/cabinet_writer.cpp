#include "tests/agent_refresh/cabinet_writer.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr size_t kHeaderSize = 36;
constexpr size_t kFolderSize = 8;
constexpr size_t kFileFixedSize = 16;
constexpr size_t kDataHeaderSize = 8;
constexpr size_t kMaxBlock = 32768;
constexpr uint16_t kArchiveAttribute = 0x20;
constexpr uint16_t kDosDate = ((2020 - 1980) << 9) | (1 << 5) | 1;

void Put16(std::string* out, uint16_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8));
}

void Put32(std::string* out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

}  // namespace

// One folder, no compression, no checksums (a zero checksum is not checked).
std::string MakeCabinet(const std::vector<CabinetEntry>& entries) {
  std::string content;
  size_t fileTableSize = 0;
  for (const CabinetEntry& entry : entries) {
    content += entry.data;
    fileTableSize += kFileFixedSize + entry.name.size() + 1;
  }
  size_t blocks = (content.size() + kMaxBlock - 1) / kMaxBlock;
  size_t dataStart = kHeaderSize + kFolderSize + fileTableSize;
  size_t total = dataStart + blocks * kDataHeaderSize + content.size();

  std::string cab = "MSCF";
  Put32(&cab, 0);
  Put32(&cab, static_cast<uint32_t>(total));
  Put32(&cab, 0);
  Put32(&cab, static_cast<uint32_t>(kHeaderSize + kFolderSize));
  Put32(&cab, 0);
  cab.push_back(3);  // format version 1.3
  cab.push_back(1);
  Put16(&cab, 1);  // folders
  Put16(&cab, static_cast<uint16_t>(entries.size()));
  Put16(&cab, 0);  // flags
  Put16(&cab, 0x1234);
  Put16(&cab, 0);  // cabinet index

  Put32(&cab, static_cast<uint32_t>(dataStart));
  Put16(&cab, static_cast<uint16_t>(blocks));
  Put16(&cab, 0);  // stored

  uint32_t offset = 0;
  for (const CabinetEntry& entry : entries) {
    Put32(&cab, static_cast<uint32_t>(entry.data.size()));
    Put32(&cab, offset);
    Put16(&cab, 0);
    Put16(&cab, kDosDate);
    Put16(&cab, 0);
    Put16(&cab, kArchiveAttribute);
    cab += entry.name;
    cab.push_back('\0');
    offset += static_cast<uint32_t>(entry.data.size());
  }

  for (size_t at = 0; at < content.size(); at += kMaxBlock) {
    size_t size = std::min(kMaxBlock, content.size() - at);
    Put32(&cab, 0);
    Put16(&cab, static_cast<uint16_t>(size));
    Put16(&cab, static_cast<uint16_t>(size));
    cab.append(content, at, size);
  }
  return cab;
}
