// GUID text both ways and the well-known interface identifiers.
#include <gtest/gtest.h>

#include <string>

#include "guid_print.h"
#include "platform/automation.h"
#include "registry_files.h"

namespace {

std::u16string guidText(REFGUID guid) {
  OLECHAR text[39];
  EXPECT_EQ(StringFromGUID2(guid, text, 39), 39);
  return text;
}

TEST(Guid, WellKnownInterfacesHaveTheirWindowsValues) {
  EXPECT_EQ(guidText(IID_NULL), u"{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(guidText(IID_IUnknown), u"{00000000-0000-0000-C000-000000000046}");
  EXPECT_EQ(guidText(IID_IDispatch), u"{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(guidText(IID_IClassFactory), u"{00000001-0000-0000-C000-000000000046}");
}

TEST(Guid, TextNeedsRoomForTheTerminator) {
  OLECHAR text[39] = {u'x'};
  EXPECT_EQ(StringFromGUID2(IID_IDispatch, text, 38), 0);
  EXPECT_EQ(text[0], u'x');
  EXPECT_EQ(StringFromGUID2(IID_IDispatch, nullptr, 39), 0);
}

TEST(Guid, ParsesRegistryForm) {
  const GUID expected = {
      0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  struct Case {
    int line;
    const char16_t* text;
    HRESULT result;
    GUID guid;
  };
  const Case cases[] = {
      {__LINE__, u"{01234567-89AB-CDEF-0123-456789ABCDEF}", S_OK, expected},
      {__LINE__, u"{01234567-89ab-cdef-0123-456789abcdef}", S_OK, expected},
      {__LINE__, nullptr, S_OK, IID_NULL},
      {__LINE__, u"", S_OK, IID_NULL},
      {__LINE__, u"01234567-89AB-CDEF-0123-456789ABCDEF", CO_E_CLASSSTRING, IID_NULL},
      {__LINE__, u"{01234567-89AB-CDEF-0123-456789ABCDEF", CO_E_CLASSSTRING, IID_NULL},
      {__LINE__, u"{01234567-89AB-CDEF-0123-456789ABCDEF} ", CO_E_CLASSSTRING, IID_NULL},
      {__LINE__, u"{01234567-89AB-CDEF-0123_456789ABCDEF}", CO_E_CLASSSTRING, IID_NULL},
      {__LINE__, u"{0123456-789AB-CDEF-0123-456789ABCDEF}", CO_E_CLASSSTRING, IID_NULL},
      {__LINE__, u"{01234567-89AB-CDEF-0123-456789ABCDEG}", CO_E_CLASSSTRING, IID_NULL},
      {__LINE__, u"{+1234567-89AB-CDEF-0123-456789ABCDEF}", CO_E_CLASSSTRING, IID_NULL},
  };
  vardelon::testing::RegistryFiles registry;
  registry.use("");
  for (const Case& row : cases) {
    SCOPED_TRACE(testing::Message() << "line " << row.line);
    CLSID clsid = IID_IDispatch;
    EXPECT_EQ(CLSIDFromString(row.text, &clsid), row.result);
    EXPECT_EQ(clsid, row.guid);
  }
  EXPECT_EQ(CLSIDFromString(u"{01234567-89AB-CDEF-0123-456789ABCDEF}", nullptr), E_INVALIDARG);
}

TEST(Guid, TextRoundTrips) {
  const GUID guid = {0xFEDCBA98, 0x7654, 0x3210, {0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87}};
  CLSID parsed;
  ASSERT_EQ(CLSIDFromString(guidText(guid).c_str(), &parsed), S_OK);
  EXPECT_EQ(parsed, guid);
}

TEST(Guid, StringAcceptsARegisteredProgId) {
  vardelon::testing::RegistryFiles registry;
  registry.useOnly(std::string(vardelon::testing::kRegHeader) +
                   "[HKEY_CLASSES_ROOT\\Some.Class\\CLSID]\n"
                   "@=\"{00020400-0000-0000-C000-000000000046}\"\n");
  CLSID clsid;
  EXPECT_EQ(CLSIDFromString(u"Some.Class", &clsid), S_OK);
  EXPECT_EQ(clsid, IID_IDispatch);
}

}  // namespace
