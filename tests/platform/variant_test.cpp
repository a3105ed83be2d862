// What VariantClear releases and VariantCopy duplicates, counted.
#include <string>

#include "counted_objects.h"
#include "leak_checked_test.h"
#include "platform/automation.h"
#include "variant_builders.h"

namespace {

using platform_testing::CountedUnknown;
using Variant = vardelon::testing::LeakCheckedTest;
using vardelon::testing::bstrVariantOf;
using vardelon::testing::variantOf;

VARIANT unknownVariant(IUnknown* object) {
  VARIANT value = variantOf(VT_UNKNOWN);
  V_UNKNOWN(&value) = object;
  return value;
}

VARIANT arrayVariant(ULONG elements) {
  VARIANT value = variantOf(VT_ARRAY | VT_BSTR);
  V_ARRAY(&value) = SafeArrayCreateVector(VT_BSTR, 0, elements);
  return value;
}

TEST_F(Variant, InitSetsOnlyTheTag) {
  VARIANT value = variantOf(VT_I4);
  V_I4(&value) = 42;
  VariantInit(&value);
  EXPECT_EQ(V_VT(&value), VT_EMPTY);
  EXPECT_EQ(V_I4(&value), 42);
}

TEST_F(Variant, ClearReleasesWhatTheValueOwns) {
  VARIANT text = bstrVariantOf(u"x");
  VARIANT array = arrayVariant(2);
  EXPECT_EQ(newBstrs(), 1);
  EXPECT_EQ(newArrays(), 1);
  EXPECT_EQ(VariantClear(&text), S_OK);
  EXPECT_EQ(VariantClear(&array), S_OK);
  EXPECT_EQ(V_VT(&text), VT_EMPTY);
  EXPECT_EQ(V_VT(&array), VT_EMPTY);

  CountedUnknown object;
  object.AddRef();  // the reference the VARIANT owns
  VARIANT unknown = unknownVariant(&object);
  EXPECT_EQ(VariantClear(&unknown), S_OK);
  EXPECT_EQ(object.extraReferences(), 0u);

  VARIANT nullUnknown = unknownVariant(nullptr);
  EXPECT_EQ(VariantClear(&nullUnknown), S_OK);
}

TEST_F(Variant, ClearLeavesReferencedValuesAlone) {
  BSTR text = SysAllocString(u"kept");
  CountedUnknown object;
  IUnknown* objectPointer = &object;
  VARIANT byBstr = variantOf(VT_BYREF | VT_BSTR);
  V_BSTRREF(&byBstr) = &text;
  VARIANT byUnknown = variantOf(VT_BYREF | VT_UNKNOWN);
  byUnknown.ppunkVal = &objectPointer;
  EXPECT_EQ(VariantClear(&byBstr), S_OK);
  EXPECT_EQ(VariantClear(&byUnknown), S_OK);
  EXPECT_EQ(V_VT(&byBstr), VT_EMPTY);
  EXPECT_EQ(newBstrs(), 1);
  EXPECT_EQ(object.extraReferences(), 0u);
  SysFreeString(text);
}

TEST_F(Variant, ClearRefusesInvalidTypesAndKeepsThem) {
  const VARTYPE invalid[] = {15,
                             VT_VOID,
                             VT_HRESULT,
                             VT_PTR,
                             VT_LPWSTR,
                             VT_RECORD,
                             0x0FFF,
                             VT_VECTOR | VT_I4,
                             VT_RESERVED | VT_I4,
                             VT_BYREF | VT_EMPTY,
                             VT_BYREF | VT_NULL,
                             VT_ARRAY | VT_EMPTY,
                             VT_ARRAY | VT_NULL,
                             VT_ILLEGAL};
  for (VARTYPE type : invalid) {
    SCOPED_TRACE(testing::Message() << "vt " << type);
    VARIANT value = variantOf(type);
    EXPECT_EQ(VariantClear(&value), DISP_E_BADVARTYPE);
    EXPECT_EQ(V_VT(&value), type);
  }
  const VARTYPE valid[] = {VT_EMPTY, VT_NULL,          VT_I4, VT_DECIMAL,
                           VT_UINT,  VT_BYREF | VT_I4, VT_I1, VT_ARRAY | VT_I4};
  for (VARTYPE type : valid) {
    SCOPED_TRACE(testing::Message() << "vt " << type);
    VARIANT value = variantOf(type);
    EXPECT_EQ(VariantClear(&value), S_OK);
    EXPECT_EQ(V_VT(&value), VT_EMPTY);
  }
}

TEST_F(Variant, ClearOfALockedArrayReportsItButEmptiesTheValue) {
  VARIANT array = arrayVariant(1);
  SAFEARRAY* held = V_ARRAY(&array);
  ASSERT_EQ(SafeArrayLock(held), S_OK);
  EXPECT_EQ(VariantClear(&array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(V_VT(&array), VT_EMPTY);
  EXPECT_EQ(newArrays(), 1);
  ASSERT_EQ(SafeArrayUnlock(held), S_OK);
  EXPECT_EQ(SafeArrayDestroy(held), S_OK);
}

TEST_F(Variant, CopyDuplicatesOwnedValues) {
  VARIANT source = bstrVariantOf(u"text");
  VARIANT copy = variantOf(VT_EMPTY);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(V_BSTR(&copy), V_BSTR(&source));
  EXPECT_EQ(std::u16string(V_BSTR(&copy)), u"text");
  EXPECT_EQ(newBstrs(), 2);
  VariantClear(&copy);

  VARIANT nullText = variantOf(VT_BSTR);
  ASSERT_EQ(VariantCopy(&copy, &nullText), S_OK);
  EXPECT_EQ(V_VT(&copy), VT_BSTR);
  ASSERT_NE(V_BSTR(&copy), nullptr);
  EXPECT_EQ(SysStringLen(V_BSTR(&copy)), 0u);
  VariantClear(&copy);

  VARIANT array = arrayVariant(3);
  ASSERT_EQ(VariantCopy(&copy, &array), S_OK);
  EXPECT_NE(V_ARRAY(&copy), V_ARRAY(&array));
  EXPECT_EQ(newArrays(), 2);
  VariantClear(&copy);
  VariantClear(&array);

  CountedUnknown object;
  VARIANT unknown = unknownVariant(&object);
  ASSERT_EQ(VariantCopy(&copy, &unknown), S_OK);
  EXPECT_EQ(V_UNKNOWN(&copy), &object);
  EXPECT_EQ(object.extraReferences(), 1u);
  VariantClear(&copy);
  EXPECT_EQ(object.extraReferences(), 0u);
  VariantClear(&source);
}

TEST_F(Variant, CopyOfAReferenceCopiesThePointer) {
  LONG number = 5;
  VARIANT source = variantOf(VT_BYREF | VT_I4);
  V_I4REF(&source) = &number;
  VARIANT copy = variantOf(VT_EMPTY);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(V_VT(&copy), VT_BYREF | VT_I4);
  EXPECT_EQ(V_I4REF(&copy), &number);
}

TEST_F(Variant, CopyClearsTheDestinationFirst) {
  VARIANT destination = bstrVariantOf(u"old");
  CountedUnknown object;
  object.AddRef();
  VARIANT heldObject = unknownVariant(&object);
  VARIANT source = variantOf(VT_I4);
  V_I4(&source) = 7;
  ASSERT_EQ(VariantCopy(&destination, &source), S_OK);
  ASSERT_EQ(VariantCopy(&heldObject, &source), S_OK);
  EXPECT_EQ(V_VT(&destination), VT_I4);
  EXPECT_EQ(V_I4(&destination), 7);
  EXPECT_EQ(newBstrs(), 0);
  EXPECT_EQ(object.extraReferences(), 0u);
}

TEST_F(Variant, CopyOntoItselfChangesNothing) {
  VARIANT value = bstrVariantOf(u"same");
  const BSTR text = V_BSTR(&value);
  EXPECT_EQ(VariantCopy(&value, &value), S_OK);
  EXPECT_EQ(V_BSTR(&value), text);
  EXPECT_EQ(newBstrs(), 1);
  VariantClear(&value);
}

TEST_F(Variant, CopyRefusesInvalidTypesOnEitherSide) {
  VARIANT destination = bstrVariantOf(u"kept");
  VARIANT invalid = variantOf(VT_VOID);
  EXPECT_EQ(VariantCopy(&destination, &invalid), DISP_E_BADVARTYPE);
  EXPECT_EQ(V_VT(&destination), VT_BSTR) << "the destination is untouched";
  EXPECT_EQ(VariantCopy(&invalid, &destination), DISP_E_BADVARTYPE);
  EXPECT_EQ(V_VT(&invalid), VT_VOID);
  VariantClear(&destination);
}

}  // namespace
