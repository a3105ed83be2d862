// SAFEARRAY layout, bounds, indexed order, lock counts, and who owns the
// elements on put, get, copy and destroy.
#include <cstring>
#include <string>

#include "counted_objects.h"
#include "leak_checked_test.h"
#include "platform/automation.h"

namespace {

using platform_testing::CountedUnknown;
using SafeArray = vardelon::testing::LeakCheckedTest;

constexpr USHORT kCreateVector = 0x2000;

TEST_F(SafeArray, DescribesElementTypesAsWindowsDoes) {
  struct Case {
    int line;
    VARTYPE type;
    UINT size;
    USHORT features;
  };
  const Case cases[] = {
      {__LINE__, VT_I1, 1, FADF_HAVEVARTYPE},
      {__LINE__, VT_UI1, 1, FADF_HAVEVARTYPE},
      {__LINE__, VT_I2, 2, FADF_HAVEVARTYPE},
      {__LINE__, VT_BOOL, 2, FADF_HAVEVARTYPE},
      {__LINE__, VT_I4, 4, FADF_HAVEVARTYPE},
      {__LINE__, VT_R4, 4, FADF_HAVEVARTYPE},
      {__LINE__, VT_ERROR, 4, FADF_HAVEVARTYPE},
      {__LINE__, VT_R8, 8, FADF_HAVEVARTYPE},
      {__LINE__, VT_I8, 8, FADF_HAVEVARTYPE},
      {__LINE__, VT_CY, 8, FADF_HAVEVARTYPE},
      {__LINE__, VT_DATE, 8, FADF_HAVEVARTYPE},
      {__LINE__, VT_DECIMAL, 16, FADF_HAVEVARTYPE},
      {__LINE__, VT_INT, 4, FADF_HAVEVARTYPE},
      {__LINE__, VT_BSTR, sizeof(BSTR), FADF_HAVEVARTYPE | FADF_BSTR},
      {__LINE__, VT_VARIANT, sizeof(VARIANT), FADF_HAVEVARTYPE | FADF_VARIANT},
      {__LINE__, VT_UNKNOWN, sizeof(IUnknown*), FADF_HAVEIID | FADF_UNKNOWN},
      {__LINE__, VT_DISPATCH, sizeof(IDispatch*), FADF_HAVEIID | FADF_DISPATCH},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(testing::Message() << "line " << row.line);
    SAFEARRAYBOUND bound = {2, 0};
    SAFEARRAY* array = SafeArrayCreate(row.type, 1, &bound);
    SAFEARRAY* vector = SafeArrayCreateVector(row.type, 0, 2);
    ASSERT_NE(array, nullptr);
    ASSERT_NE(vector, nullptr);
    EXPECT_EQ(SafeArrayGetElemsize(array), row.size);
    EXPECT_EQ(array->fFeatures, row.features);
    EXPECT_EQ(vector->fFeatures, row.features | kCreateVector);
    VARTYPE stored = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(array, &stored), S_OK);
    EXPECT_EQ(stored, row.type);
    EXPECT_EQ(SafeArrayGetVartype(vector, &stored), S_OK);
    EXPECT_EQ(stored, row.type);
    SafeArrayDestroy(array);
    SafeArrayDestroy(vector);
  }
}

TEST_F(SafeArray, StoresTheInterfaceIdOrTypeBeforeTheDescriptor) {
  SAFEARRAYBOUND bound = {1, 0};
  SAFEARRAY* dispatch = SafeArrayCreate(VT_DISPATCH, 1, &bound);
  SAFEARRAY* numbers = SafeArrayCreate(VT_R8, 1, &bound);
  GUID hidden;
  std::memcpy(&hidden, reinterpret_cast<const char*>(dispatch) - sizeof hidden, sizeof hidden);
  EXPECT_TRUE(IsEqualGUID(hidden, IID_IDispatch));
  DWORD type;
  std::memcpy(&type, reinterpret_cast<const char*>(numbers) - sizeof type, sizeof type);
  EXPECT_EQ(type, DWORD{VT_R8});
  SafeArrayDestroy(dispatch);
  SafeArrayDestroy(numbers);
}

TEST_F(SafeArray, RefusesWhatCannotBeMade) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
  const VARTYPE invalid[] = {VT_EMPTY,         VT_NULL,         15, VT_VOID, VT_RECORD,
                             VT_ARRAY | VT_I4, VT_BYREF | VT_I4};
  for (VARTYPE type : invalid) {
    SCOPED_TRACE(testing::Message() << "vt " << type);
    EXPECT_EQ(SafeArrayCreate(type, 1, bounds), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(type, 0, 1), nullptr);
  }
  EXPECT_EQ(SafeArrayCreate(VT_I4, 0, bounds), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, nullptr), nullptr);
  SAFEARRAYBOUND huge[2] = {{0x10000, 0}, {0x10000, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, huge), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_R8, 0, 0x40000000), nullptr);
  EXPECT_EQ(newArrays(), 0);
}

TEST_F(SafeArray, KeepsBoundsInReverseAndReportsThemByDimension) {
  // Dimension 1: 2 elements from -1; dimension 2: 3 elements from 10.
  SAFEARRAYBOUND bounds[2] = {{2, -1}, {3, 10}};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(SafeArrayGetDim(array), 2u);
  EXPECT_EQ(array->rgsabound[1].cElements, 2u) << "rgsabound[cDims - 1] is dimension 1";
  EXPECT_EQ(array->rgsabound[0].cElements, 3u);
  struct Case {
    UINT dimension;
    HRESULT result;
    LONG lower, upper;
  };
  const Case cases[] = {{1, S_OK, -1, 0},
                        {2, S_OK, 10, 12},
                        {0, DISP_E_BADINDEX, 99, 99},
                        {3, DISP_E_BADINDEX, 99, 99}};
  for (const Case& row : cases) {
    SCOPED_TRACE(testing::Message() << "dimension " << row.dimension);
    LONG lower = 99, upper = 99;
    EXPECT_EQ(SafeArrayGetLBound(array, row.dimension, &lower), row.result);
    EXPECT_EQ(SafeArrayGetUBound(array, row.dimension, &upper), row.result);
    EXPECT_EQ(lower, row.lower);
    EXPECT_EQ(upper, row.upper);
  }
  EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, nullptr), E_INVALIDARG);
  SafeArrayDestroy(array);
}

TEST_F(SafeArray, IndexedOrderRunsDimensionOneFastest) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 0}};  // 2 rows (from 1) x 3 columns (from 0)
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  for (LONG row = 1; row <= 2; ++row) {
    for (LONG column = 0; column < 3; ++column) {
      LONG indices[2] = {row, column};
      LONG value = row * 10 + column;
      ASSERT_EQ(SafeArrayPutElement(array, indices, &value), S_OK);
    }
  }
  LONG* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
  const LONG expected[6] = {10, 20, 11, 21, 12, 22};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(data[i], expected[i]) << i;
  SafeArrayUnaccessData(array);

  LONG indices[2] = {2, 1};
  void* element = nullptr;
  ASSERT_EQ(SafeArrayPtrOfIndex(array, indices, &element), S_OK);
  EXPECT_EQ(element, data + 3);
  SafeArrayDestroy(array);
}

TEST_F(SafeArray, RejectsIndicesOutsideTheBounds) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, -1}};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  const LONG outside[][2] = {{0, 0}, {3, 0},          {1, -2},
                             {1, 2}, {0x7FFFFFFF, 0}, {-0x7FFFFFFF - 1, 0}};
  for (const auto& cell : outside) {
    SCOPED_TRACE(testing::Message() << cell[0] << "," << cell[1]);
    LONG indices[2] = {cell[0], cell[1]};
    LONG value = 1;
    void* element = nullptr;
    EXPECT_EQ(SafeArrayPtrOfIndex(array, indices, &element), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPutElement(array, indices, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetElement(array, indices, &value), DISP_E_BADINDEX);
  }
  EXPECT_EQ(array->cLocks, 0u) << "element calls give their lock back";
  SafeArrayDestroy(array);
}

TEST_F(SafeArray, EmptyDimensionIsValid) {
  SAFEARRAYBOUND bounds[2] = {{0, 0}, {4, 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_BSTR, 2, bounds);
  ASSERT_NE(array, nullptr);
  LONG upper = 0;
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(upper, -1);
  void* data = nullptr;
  EXPECT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_NE(data, nullptr);
  SafeArrayUnaccessData(array);
  LONG indices[2] = {0, 0};
  EXPECT_EQ(SafeArrayPtrOfIndex(array, indices, &data), DISP_E_BADINDEX);
  SAFEARRAY* copy = nullptr;
  EXPECT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(newArrays(), 2);
  SafeArrayDestroy(copy);
  SafeArrayDestroy(array);
}

TEST_F(SafeArray, NewDataIsZeroFilled) {
  SAFEARRAYBOUND bounds[2] = {{3, 0}, {5, 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_R8, 2, bounds);
  SAFEARRAY* vector = SafeArrayCreateVector(VT_VARIANT, 0, 4);
  for (SAFEARRAY* each : {array, vector}) {
    const std::string bytes(static_cast<const char*>(each->pvData),
                            each == array ? 15 * sizeof(double) : 4 * sizeof(VARIANT));
    EXPECT_EQ(bytes, std::string(bytes.size(), '\0'));
    SafeArrayDestroy(each);
  }
}

TEST_F(SafeArray, CountsLocks) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 1);
  EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
  ASSERT_EQ(SafeArrayLock(array), S_OK);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(data, array->pvData);
  EXPECT_EQ(array->cLocks, 2u);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  LONG index = 0, value = 3;
  EXPECT_EQ(SafeArrayPutElement(array, &index, &value), S_OK) << "element calls nest their lock";
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnlock(array), S_OK);
  EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
  EXPECT_EQ(array->cLocks, 0u);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
  EXPECT_EQ(SafeArrayLock(nullptr), E_INVALIDARG);
  EXPECT_EQ(SafeArrayAccessData(nullptr, &data), E_INVALIDARG);
}

TEST_F(SafeArray, LocksStopAtWindowsLimit) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 1);
  for (int i = 0; i < 0xFFFF; ++i) ASSERT_EQ(SafeArrayLock(array), S_OK) << i;
  EXPECT_EQ(SafeArrayLock(array), E_UNEXPECTED);
  for (int i = 0; i < 0xFFFF; ++i) ASSERT_EQ(SafeArrayUnlock(array), S_OK) << i;
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST_F(SafeArray, BstrElementsAreCopiedInAndOut) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 2);
  BSTR text = SysAllocString(u"first");
  LONG index = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &index, text), S_OK);
  EXPECT_EQ(newBstrs(), 2) << "the array holds its own copy";
  SysFreeString(text);

  BSTR replacement = SysAllocString(u"second");
  ASSERT_EQ(SafeArrayPutElement(array, &index, replacement), S_OK);
  SysFreeString(replacement);
  EXPECT_EQ(newBstrs(), 1) << "the replaced element was freed";

  BSTR got = nullptr;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &got), S_OK);
  EXPECT_EQ(std::u16string(got), u"second");
  EXPECT_NE(got, static_cast<BSTR*>(array->pvData)[0]);
  SysFreeString(got);

  LONG empty = 1;
  got = reinterpret_cast<BSTR>(0x1);
  ASSERT_EQ(SafeArrayGetElement(array, &empty, &got), S_OK);
  EXPECT_EQ(got, nullptr) << "a null element stays null";
  ASSERT_EQ(SafeArrayPutElement(array, &empty, nullptr), S_OK);
  ASSERT_NE(static_cast<BSTR*>(array->pvData)[1], nullptr) << "Windows stores an empty BSTR";
  EXPECT_EQ(SysStringLen(static_cast<BSTR*>(array->pvData)[1]), 0u);

  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST_F(SafeArray, InterfaceElementsAreReferenced) {
  CountedUnknown first, second;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
  LONG index = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &index, &first), S_OK);
  EXPECT_EQ(first.extraReferences(), 1u);
  ASSERT_EQ(SafeArrayPutElement(array, &index, &second), S_OK);
  EXPECT_EQ(first.extraReferences(), 0u) << "the replaced element was released";
  EXPECT_EQ(second.extraReferences(), 1u);

  IUnknown* got = nullptr;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &got), S_OK);
  EXPECT_EQ(got, &second);
  EXPECT_EQ(second.extraReferences(), 2u);
  got->Release();

  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(second.extraReferences(), 2u);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(second.extraReferences(), 0u);
}

TEST_F(SafeArray, VariantElementsAreDeepCopiedAndCleared) {
  CountedUnknown object;
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 3);
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(u"text");
  LONG index = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &index, &value), S_OK);
  VariantClear(&value);
  V_VT(&value) = VT_UNKNOWN;
  V_UNKNOWN(&value) = &object;
  index = 1;
  ASSERT_EQ(SafeArrayPutElement(array, &index, &value), S_OK);
  EXPECT_EQ(newBstrs(), 1);
  EXPECT_EQ(object.extraReferences(), 1u);

  VARIANT got;
  V_VT(&got) = VT_BSTR;  // whatever the caller's VARIANT held is not released
  V_BSTR(&got) = reinterpret_cast<BSTR>(0x1);
  index = 0;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &got), S_OK);
  EXPECT_EQ(std::u16string(V_BSTR(&got)), u"text");
  EXPECT_EQ(newBstrs(), 2);
  VariantClear(&got);

  VARIANT invalid;
  VariantInit(&invalid);
  V_VT(&invalid) = VT_VOID;
  EXPECT_EQ(SafeArrayPutElement(array, &index, &invalid), DISP_E_BADVARTYPE);
  EXPECT_EQ(SafeArrayPutElement(array, &index, nullptr), E_INVALIDARG);
  EXPECT_EQ(newBstrs(), 1) << "a refused value leaves the element as it was";

  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(newBstrs(), 2);
  EXPECT_EQ(object.extraReferences(), 2u);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(object.extraReferences(), 0u);
}

TEST_F(SafeArray, CopyKeepsShapeTypeAndValues) {
  SAFEARRAYBOUND bounds[2] = {{2, 5}, {3, -2}};
  SAFEARRAY* array = SafeArrayCreate(VT_R4, 2, bounds);
  SAFEARRAY* vector = SafeArrayCreateVector(VT_I2, 3, 4);
  static_cast<float*>(array->pvData)[5] = 2.5f;
  static_cast<SHORT*>(vector->pvData)[3] = -7;
  for (SAFEARRAY* source : {array, vector}) {
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(source, &copy), S_OK);
    EXPECT_EQ(copy->cDims, source->cDims);
    EXPECT_EQ(copy->fFeatures, source->fFeatures & ~kCreateVector);
    EXPECT_EQ(copy->cLocks, 0u);
    EXPECT_NE(copy->pvData, source->pvData);
    EXPECT_EQ(
        std::memcmp(copy->rgsabound, source->rgsabound, source->cDims * sizeof(SAFEARRAYBOUND)), 0);
    VARTYPE type = VT_EMPTY, sourceType = VT_EMPTY;
    SafeArrayGetVartype(copy, &type);
    SafeArrayGetVartype(source, &sourceType);
    EXPECT_EQ(type, sourceType);
    const std::size_t bytes = source == array ? 6 * sizeof(float) : 4 * sizeof(SHORT);
    EXPECT_EQ(std::memcmp(copy->pvData, source->pvData, bytes), 0);
    SafeArrayDestroy(copy);
  }
  SafeArrayDestroy(array);
  SafeArrayDestroy(vector);

  SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(0x1);
  EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(SafeArrayCopy(nullptr, nullptr), E_INVALIDARG);
}

TEST_F(SafeArray, CountsLiveArrays) {
  SAFEARRAYBOUND bound = {1, 0};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 1, &bound);
  SAFEARRAY* vector = SafeArrayCreateVector(VT_I4, 0, 1);
  SAFEARRAY* copy = nullptr;
  SafeArrayCopy(array, &copy);
  EXPECT_EQ(newArrays(), 3);
  SafeArrayDestroy(array);
  SafeArrayDestroy(vector);
  EXPECT_EQ(newArrays(), 1);
  SafeArrayDestroy(copy);
  EXPECT_EQ(newArrays(), 0);
}

}  // namespace
