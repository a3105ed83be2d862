// GUIDs: the interface identifiers the layer knows, and GUID text in the
// registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <cstring>

#include "com.h"
#include "layer_internal.h"

extern "C" {
const IID IID_NULL = {0x00000000, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 0}};
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

namespace {

constexpr int kGuidTextLength = 38;  // without the terminating zero
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

// Where each byte of the GUID, in the order Data1..Data4 are written, sits
// in the text; Data1..Data3 are written most significant byte first.
constexpr int kBytePositions[16] = {1, 3, 5, 7, 10, 12, 15, 17, 20, 22, 25, 27, 29, 31, 33, 35};

int hexValue(char16_t digit) {
  if (digit >= u'0' && digit <= u'9') return digit - u'0';
  if (digit >= u'a' && digit <= u'f') return digit - u'a' + 10;
  if (digit >= u'A' && digit <= u'F') return digit - u'A' + 10;
  return -1;
}

// The GUID's 16 bytes in written order (Data1..Data3 big-endian).
void writtenBytes(REFGUID guid, std::uint8_t bytes[16]) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(guid.Data1 >> (24 - 8 * i));
  bytes[4] = static_cast<std::uint8_t>(guid.Data2 >> 8);
  bytes[5] = static_cast<std::uint8_t>(guid.Data2);
  bytes[6] = static_cast<std::uint8_t>(guid.Data3 >> 8);
  bytes[7] = static_cast<std::uint8_t>(guid.Data3);
  std::memcpy(bytes + 8, guid.Data4, 8);
}

GUID fromWrittenBytes(const std::uint8_t bytes[16]) {
  GUID guid{};
  for (int i = 0; i < 4; ++i) guid.Data1 = (guid.Data1 << 8) | bytes[i];
  guid.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  std::memcpy(guid.Data4, bytes + 8, 8);
  return guid;
}

bool isSeparatorPosition(int position) {
  return position == 9 || position == 14 || position == 19 || position == 24;
}

}  // namespace

namespace automation {

std::optional<GUID> parseGuid(std::u16string_view text) {
  if (text.size() != kGuidTextLength || text.front() != u'{' || text.back() != u'}') {
    return std::nullopt;
  }
  for (int position = 1; position < kGuidTextLength - 1; ++position) {
    const bool separator = isSeparatorPosition(position);
    if (separator != (text[position] == u'-')) return std::nullopt;
  }
  std::uint8_t bytes[16];
  for (int i = 0; i < 16; ++i) {
    const int high = hexValue(text[kBytePositions[i]]);
    const int low = hexValue(text[kBytePositions[i] + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return fromWrittenBytes(bytes);
}

}  // namespace automation

extern "C" {

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  *clsid = IID_NULL;
  // As on Windows, no text means the null CLSID, and a ProgID is accepted too.
  if (text == nullptr || *text == 0) return S_OK;
  if (const std::optional<GUID> guid = automation::parseGuid(text)) {
    *clsid = *guid;
    return S_OK;
  }
  return CLSIDFromProgID(text, clsid);
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity) {
  if (buffer == nullptr || capacity < kGuidTextLength + 1) return 0;
  std::uint8_t bytes[16];
  writtenBytes(guid, bytes);
  for (int position = 0; position < kGuidTextLength; ++position) {
    buffer[position] = isSeparatorPosition(position) ? u'-' : u'0';
  }
  buffer[0] = u'{';
  buffer[kGuidTextLength - 1] = u'}';
  buffer[kGuidTextLength] = 0;
  for (int i = 0; i < 16; ++i) {
    buffer[kBytePositions[i]] = kHexDigits[bytes[i] >> 4];
    buffer[kBytePositions[i] + 1] = kHexDigits[bytes[i] & 0xF];
  }
  return kGuidTextLength + 1;
}

}  // extern "C"
