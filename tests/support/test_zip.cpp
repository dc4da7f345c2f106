#include "tests/support/test_zip.h"

#include <zlib.h>

#include <stdexcept>

namespace SkinUITest {

Bytes ToBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

std::string ToString(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

Bytes Deflate(const std::string& data) {
  z_stream stream = {};
  if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate");
  return out;
}

void Put16(Bytes& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<unsigned char>(value);
  bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
  Put16(bytes, at, static_cast<uint16_t>(value));
  Put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

namespace {

void Append16(Bytes& bytes, uint16_t value) {
  bytes.push_back(static_cast<unsigned char>(value));
  bytes.push_back(static_cast<unsigned char>(value >> 8));
}

void Append32(Bytes& bytes, uint32_t value) {
  Append16(bytes, static_cast<uint16_t>(value));
  Append16(bytes, static_cast<uint16_t>(value >> 16));
}

void Append(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
}

void Append(Bytes& bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

struct PackedEntry {
  uint16_t method;
  uint16_t flags;
  uint32_t crc;
  Bytes data;
  uint32_t localOffset;
};

PackedEntry Pack(const TestZipEntry& entry) {
  PackedEntry packed;
  packed.crc = crc32(0L, reinterpret_cast<const Bytef*>(entry.data.data()),
                     static_cast<uInt>(entry.data.size()));
  if (entry.methodOverride >= 0) {
    packed.method = static_cast<uint16_t>(entry.methodOverride);
    packed.data = ToBytes(entry.data);
  } else if (entry.deflate) {
    packed.method = 8;
    packed.data = Deflate(entry.data);
  } else {
    packed.method = 0;
    packed.data = ToBytes(entry.data);
  }
  packed.flags = entry.flags | (entry.sizesInDescriptor ? 0x0008 : 0);
  packed.localOffset = 0;
  return packed;
}

}  // namespace

Bytes BuildTestZip(const std::vector<TestZipEntry>& entries, const std::string& comment,
                   const std::string& prefix, TestZipLayout* layout) {
  TestZipLayout local;
  TestZipLayout& where = layout ? *layout : local;
  where = TestZipLayout();
  Bytes out = ToBytes(prefix);
  const size_t base = out.size();
  std::vector<PackedEntry> packed;

  for (const TestZipEntry& entry : entries) {
    PackedEntry p = Pack(entry);
    p.localOffset = static_cast<uint32_t>(out.size() - base);
    where.localHeaders.push_back(out.size());
    const bool descriptor = entry.sizesInDescriptor;
    Append32(out, 0x04034B50);
    Append16(out, 20);
    Append16(out, p.flags);
    Append16(out, p.method);
    Append16(out, entry.dosTime);
    Append16(out, entry.dosDate);
    Append32(out, descriptor ? 0 : p.crc);
    Append32(out, descriptor ? 0 : static_cast<uint32_t>(p.data.size()));
    Append32(out, descriptor ? 0 : static_cast<uint32_t>(entry.data.size()));
    Append16(out, static_cast<uint16_t>(entry.name.size()));
    Append16(out, static_cast<uint16_t>(entry.localExtra.size()));
    Append(out, entry.name);
    Append(out, entry.localExtra);
    Append(out, p.data);
    if (descriptor) {
      Append32(out, 0x08074B50);
      Append32(out, p.crc);
      Append32(out, static_cast<uint32_t>(p.data.size()));
      Append32(out, static_cast<uint32_t>(entry.data.size()));
    }
    packed.push_back(std::move(p));
  }

  where.centralStart = out.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    const TestZipEntry& entry = entries[i];
    const PackedEntry& p = packed[i];
    where.centralRecords.push_back(out.size());
    Append32(out, 0x02014B50);
    Append16(out, entry.versionMadeBy);
    Append16(out, 20);
    Append16(out, p.flags);
    Append16(out, p.method);
    Append16(out, entry.dosTime);
    Append16(out, entry.dosDate);
    Append32(out, p.crc);
    Append32(out, static_cast<uint32_t>(p.data.size()));
    Append32(out, static_cast<uint32_t>(entry.data.size()));
    Append16(out, static_cast<uint16_t>(entry.name.size()));
    Append16(out, static_cast<uint16_t>(entry.centralExtra.size()));
    Append16(out, static_cast<uint16_t>(entry.comment.size()));
    Append16(out, 0);
    Append16(out, 0);
    Append32(out, entry.externalAttributes);
    Append32(out, p.localOffset);
    Append(out, entry.name);
    Append(out, entry.centralExtra);
    Append(out, entry.comment);
  }
  const size_t centralSize = out.size() - where.centralStart;

  where.endRecord = out.size();
  Append32(out, 0x06054B50);
  Append16(out, 0);
  Append16(out, 0);
  Append16(out, static_cast<uint16_t>(entries.size()));
  Append16(out, static_cast<uint16_t>(entries.size()));
  Append32(out, static_cast<uint32_t>(centralSize));
  Append32(out, static_cast<uint32_t>(where.centralStart - base));
  Append16(out, static_cast<uint16_t>(comment.size()));
  Append(out, comment);
  return out;
}

std::string TimestampExtra(uint32_t modify, uint32_t access, uint32_t create) {
  Bytes data;
  uint8_t flags = 0;
  if (modify) flags |= 1;
  if (access) flags |= 2;
  if (create) flags |= 4;
  data.push_back(flags);
  if (modify) Append32(data, modify);
  if (access) Append32(data, access);
  if (create) Append32(data, create);
  Bytes extra;
  Append16(extra, 0x5455);
  Append16(extra, static_cast<uint16_t>(data.size()));
  Append(extra, data);
  return ToString(extra);
}

}  // namespace SkinUITest
