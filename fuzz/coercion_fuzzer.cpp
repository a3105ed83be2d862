// VariantChangeType(Ex) from random values to the types the library and the
// server coerce to. Invariants: no crash and no leak; a failed coercion
// leaves the destination as it was and the source is never changed; a
// result has the type asked for; and every value a coercion produces
// survives the trip to text and back (integers exactly, doubles as the same
// text, singles to their seventh digit), with text read alike by every
// numeric type.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/automation.h"
#include "variant_bytes.h"

namespace vardelon::fuzz {
namespace {

constexpr VARTYPE kIntegerTags[] = {VT_I1,  VT_UI1, VT_I2,   VT_UI2, VT_I4,
                                    VT_UI4, VT_INT, VT_UINT, VT_I8,  VT_UI8};
constexpr VARTYPE kScalarTags[] = {VT_EMPTY, VT_NULL, VT_I1,   VT_UI1,  VT_I2,   VT_UI2, VT_I4,
                                   VT_UI4,   VT_INT,  VT_UINT, VT_I8,   VT_UI8,  VT_R4,  VT_R8,
                                   VT_BOOL,  VT_BSTR, VT_CY,   VT_DATE, VT_ERROR};
constexpr VARTYPE kByteArray = VT_ARRAY | VT_UI1;

bool isInteger(VARTYPE tag) {
  return std::find(std::begin(kIntegerTags), std::end(kIntegerTags), tag) != std::end(kIntegerTags);
}

bool isReal(VARTYPE tag) {
  return tag == VT_R4 || tag == VT_R8;
}

double realOf(const VARIANT& value) {
  return V_VT(&value) == VT_R4 ? V_R4(&value) : V_R8(&value);
}

// A copy of a VARIANT's own bytes and of the text it holds or designates, to
// tell whether a call changed either.
std::string fingerprint(const VARIANT& value) {
  std::string print(reinterpret_cast<const char*>(&value), sizeof value);
  const BSTR* text = V_VT(&value) == VT_BSTR                ? &V_BSTR(&value)
                     : V_VT(&value) == (VT_BYREF | VT_BSTR) ? V_BSTRREF(&value)
                                                            : nullptr;
  if (text != nullptr && *text != nullptr) {
    print.append(reinterpret_cast<const char*>(*text), SysStringByteLen(*text));
  }
  return print;
}

// The source of one coercion and everything it refers to, owned here.
class Source {
 public:
  enum class Shape { plain, byReference, throughVariant, nullReference, byteArray, anyTag };

  explicit Source(FuzzedDataProvider& input) {
    shape_ = input.PickValueInArray({Shape::plain, Shape::byReference, Shape::throughVariant,
                                     Shape::nullReference, Shape::byteArray, Shape::anyTag});
    const VARTYPE tag = input.PickValueInArray(kScalarTags);
    const auto payload = input.ConsumeIntegral<LONGLONG>();
    const std::u16string text = unitsFromBytes(input.ConsumeRandomLengthString());
    switch (shape_) {
      case Shape::plain:
        fill(value_, tag, payload, text);
        break;
      case Shape::byReference:
        V_VT(&value_) = VT_BYREF | tag;
        if (tag == VT_BSTR) {
          referencedText_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
          V_BSTRREF(&value_) = &referencedText_;
        } else {
          referencedScalar_ = payload;
          V_BYREF(&value_) = &referencedScalar_;
        }
        break;
      case Shape::throughVariant:
        fill(referenced_, tag, payload, text);
        V_VT(&value_) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&value_) = &referenced_;
        break;
      case Shape::nullReference:
        V_VT(&value_) = VT_BYREF | tag;
        break;
      case Shape::byteArray: {
        SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(text.size()));
        for (std::size_t i = 0; bytes != nullptr && i < text.size(); ++i) {
          static_cast<BYTE*>(bytes->pvData)[i] = static_cast<BYTE>(text[i]);
        }
        V_VT(&value_) = kByteArray;
        V_ARRAY(&value_) = bytes;
        break;
      }
      case Shape::anyTag:
        // Any tag at all, with nothing to point at: pointers stay null.
        V_VT(&value_) = static_cast<VARTYPE>(payload);
        break;
    }
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  ~Source() {
    VariantClear(&value_);
    VariantClear(&referenced_);
    SysFreeString(referencedText_);
  }

  VARIANT* get() { return &value_; }
  bool plain() const { return shape_ == Shape::plain || shape_ == Shape::byteArray; }

  // The source and everything it refers to, as bytes.
  std::string fingerprint() const {
    return fuzz::fingerprint(value_) + fuzz::fingerprint(referenced_) +
           std::string(reinterpret_cast<const char*>(&referencedScalar_), sizeof referencedScalar_);
  }

 private:
  static void fill(VARIANT& value, VARTYPE tag, LONGLONG payload, const std::u16string& text) {
    V_VT(&value) = tag;
    if (tag == VT_BSTR) {
      V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    } else if (tag != VT_EMPTY && tag != VT_NULL) {
      value.llVal = payload;
    }
  }

  Shape shape_ = Shape::plain;
  VARIANT value_{};
  VARIANT referenced_{};
  LONGLONG referencedScalar_ = 0;
  BSTR referencedText_ = nullptr;
};

// Where the result goes: empty, or holding text or a number that a
// successful coercion replaces (and frees) and a failed one leaves alone.
VARIANT priorDestination(FuzzedDataProvider& input) {
  VARIANT destination{};
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 1:
      V_VT(&destination) = VT_BSTR;
      V_BSTR(&destination) = SysAllocString(OLESTR("prior"));
      break;
    case 2:
      V_VT(&destination) = VT_I4;
      V_I4(&destination) = 7;
      break;
  }
  return destination;
}

bool sameScalar(const VARIANT& a, const VARIANT& b) {
  return V_VT(&a) == V_VT(&b) && std::memcmp(&a.llVal, &b.llVal, scalarWidth(V_VT(&a))) == 0;
}

std::u16string textOf(const VARIANT& text) {
  return std::u16string(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
}

// A coercion of `source` into a fresh VARIANT, cleared at the end of scope.
class Coerced {
 public:
  Coerced(const VARIANT& source, VARTYPE type, USHORT flags = 0)
      : status_(VariantChangeType(&value_, const_cast<VARIANT*>(&source), flags, type)) {
    FUZZ_CHECK(FAILED(status_) ? V_VT(&value_) == VT_EMPTY : V_VT(&value_) == type);
  }
  Coerced(const Coerced&) = delete;
  Coerced& operator=(const Coerced&) = delete;
  ~Coerced() { VariantClear(&value_); }

  bool ok() const { return SUCCEEDED(status_); }
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_{};
  HRESULT status_;
};

// An integer comes back from its text as the same integer; a double as a
// value that reads as the same text (its 15 digits are fewer than a double
// carries); a single within a unit of its seventh digit (seven digits are a
// little more than a single carries, so at a power of ten the text may read
// back as the neighbouring single); a boolean (0 or VARIANT_TRUE) as the same
// boolean, in whichever form `flags` chose for its text.
void checkTextRoundTrip(const VARIANT& value, USHORT flags) {
  const VARTYPE type = V_VT(&value);
  const bool canonicalBoolean =
      type == VT_BOOL && (V_BOOL(&value) == VARIANT_TRUE || V_BOOL(&value) == VARIANT_FALSE);
  if (!isInteger(type) && !isReal(type) && !canonicalBoolean) return;
  if (isReal(type) && !std::isfinite(realOf(value))) return;

  const Coerced text(value, VT_BSTR, flags);
  FUZZ_CHECK(text.ok());
  const Coerced back(text.get(), type);
  FUZZ_CHECK(back.ok());
  if (type == VT_R8) {
    const Coerced again(back.get(), VT_BSTR);
    FUZZ_CHECK(again.ok() && textOf(again.get()) == textOf(text.get()));
  } else if (type == VT_R4) {
    const double sent = V_R4(&value);
    const double tolerance =
        std::max(1e-6 * std::fabs(sent), double{std::numeric_limits<float>::denorm_min()});
    FUZZ_CHECK(std::fabs(V_R4(&back.get()) - sent) <= tolerance);
  } else {
    FUZZ_CHECK(sameScalar(back.get(), value));
  }
}

// Every numeric type reads a text alike: the numbers it gives round-trip,
// the integer is the real rounded, and the boolean is whether the real is
// not zero.
void checkTextReadAlike(const VARIANT& text) {
  for (VARTYPE type : kIntegerTags) {
    const Coerced number(text, type);
    if (number.ok()) checkTextRoundTrip(number.get(), 0);
  }
  const Coerced single(text, VT_R4);
  if (single.ok()) checkTextRoundTrip(single.get(), 0);

  const Coerced real(text, VT_R8);
  if (!real.ok()) return;
  checkTextRoundTrip(real.get(), 0);
  const Coerced integer(text, VT_I4);
  if (integer.ok()) FUZZ_CHECK(std::fabs(V_I4(&integer.get()) - V_R8(&real.get())) <= 0.5);
  const Coerced boolean(text, VT_BOOL);
  if (boolean.ok()) FUZZ_CHECK((V_BOOL(&boolean.get()) != 0) == (V_R8(&real.get()) != 0));
}

// Anything at all (valid or not), the byte array, or one of the scalars.
VARTYPE pickTarget(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return input.ConsumeIntegral<VARTYPE>();
    case 1:
      return kByteArray;
    default:
      return input.PickValueInArray(kScalarTags);
  }
}

void coerceOnce(FuzzedDataProvider& input) {
  const VARTYPE target = pickTarget(input);
  const auto flags = input.ConsumeIntegral<USHORT>();
  const auto locale = input.ConsumeIntegral<LCID>();
  const bool inPlace = input.ConsumeBool();
  VARIANT prior = priorDestination(input);
  Source source(input);

  VARIANT* destination = inPlace && source.plain() ? source.get() : &prior;
  const std::string sourceBefore = source.fingerprint();
  const std::string destinationBefore = fingerprint(*destination);
  const bool copiesText = target == VT_BSTR && V_VT(source.get()) == VT_BSTR &&
                          destination != source.get();  // a copy keeps every unit

  const HRESULT hr = VariantChangeTypeEx(destination, source.get(), locale, flags, target);
  if (destination != source.get()) FUZZ_CHECK(source.fingerprint() == sourceBefore);
  if (FAILED(hr)) {
    FUZZ_CHECK(fingerprint(*destination) == destinationBefore);
  } else {
    FUZZ_CHECK(V_VT(destination) == target);
    if (target == VT_BSTR) {
      if (copiesText) FUZZ_CHECK(textOf(*destination) == textOf(*source.get()));
      checkTextReadAlike(*destination);
    } else {
      checkTextRoundTrip(*destination, flags);
    }
  }
  VariantClear(&prior);
}

}  // namespace
}  // namespace vardelon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vardelon::fuzz;
  const LiveCounts before;
  FuzzedDataProvider input(data, size);
  coerceOnce(input);
  FUZZ_CHECK(LiveCounts() == before);
  return 0;
}
