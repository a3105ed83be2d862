// The automation layer's differential table. Built once against the portable
// layer and once with mingw against Windows' own oleaut32/ole32 (run under
// Wine), it prints one line per case: section, case, result code and the
// resulting value in a canonical form. The two outputs must agree line for
// line. The last line counts the cases, so that a truncated run never passes.
//
// Cases that Wine answers differently from Windows are left out, each with a
// comment that says why.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/automation.h"

namespace {

// ---- printing -------------------------------------------------------------

int caseCount = 0;
std::string currentSection;

void section(const char* name) {
  currentSection = name;
}

void row(const std::string& name, const std::string& outcome) {
  ++caseCount;
  std::string line = currentSection + " | " + name + " | " + outcome + "\n";
  std::fputs(line.c_str(), stdout);
}

std::string hex(unsigned long long value, int width = 8) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%0*llx", width, value);
  return buffer;
}

std::string yes(bool answer) {
  return answer ? "yes" : "no";
}

std::string hresult(HRESULT hr) {
  return "hr=" + hex(static_cast<ULONG>(hr));
}

// A call's code, then what it left behind. The state is read in a function
// that runs after the call: within one expression the order of the two would
// be up to the compiler.
template <typename State>
std::string then(HRESULT hr, State state) {
  return hresult(hr) + " " + state();
}

template <typename Number>
std::string number(Number value) {
  char buffer[64];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

// UTF-16 units as ASCII: printable characters as they are, others as \uXXXX.
// OLECHAR is wchar_t on Windows and char16_t elsewhere; both are read as units.
std::string escaped(const OLECHAR* text, UINT length) {
  std::string out;
  for (UINT i = 0; i < length; ++i) {
    auto unit = static_cast<unsigned>(text[i]);
    if (unit >= 0x20 && unit < 0x7F && unit != '\\' && unit != '"') {
      out += static_cast<char>(unit);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", unit);
      out += buffer;
    }
  }
  return out;
}

std::string bstrText(BSTR text) {
  if (text == nullptr) return "null";
  return "\"" + escaped(text, SysStringLen(text)) + "\"";
}

std::string typeName(VARTYPE vt) {
  static const char* const names[] = {"EMPTY",   "NULL",    "I2",      "I4",       "R4",    "R8",
                                      "CY",      "DATE",    "BSTR",    "DISPATCH", "ERROR", "BOOL",
                                      "VARIANT", "UNKNOWN", "DECIMAL", "15",       "I1",    "UI1",
                                      "UI2",     "UI4",     "I8",      "UI8",      "INT",   "UINT"};
  VARTYPE base = vt & VT_TYPEMASK;
  std::string name = base < std::size(names) ? names[base] : hex(base, 0);
  if (vt & VT_BYREF) name = "BYREF|" + name;
  if (vt & VT_ARRAY) name = "ARRAY|" + name;
  if (vt & VT_VECTOR) name = "VECTOR|" + name;
  if (vt & VT_RESERVED) name = "RESERVED|" + name;
  return name;
}

// An array's shape and, for bytes, its data.
std::string arrayContents(SAFEARRAY* array) {
  if (array == nullptr) return "null";
  std::string contents = "dims=" + number(array->cDims) + " [";
  ULONG count = array->cDims == 1 ? array->rgsabound[0].cElements : 0;
  for (ULONG i = 0; i < count && array->cbElements == 1; ++i) {
    contents += (i ? "," : "") + number(static_cast<const BYTE*>(array->pvData)[i]);
  }
  return contents + "] lbound=" + number(static_cast<long long>(array->rgsabound[0].lLbound));
}

// A VARIANT's tag and value. Reals print in their shortest exact form.
std::string describe(const VARIANT& v) {
  std::string type = typeName(v.vt);
  if (v.vt & VT_ARRAY) return type + " " + arrayContents(v.parray);
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return type;
    case VT_I1:
      return type + " " + number(static_cast<int>(static_cast<signed char>(v.cVal)));
    case VT_UI1:
      return type + " " + number(static_cast<unsigned>(v.bVal));
    case VT_I2:
      return type + " " + number(v.iVal);
    case VT_UI2:
      return type + " " + number(v.uiVal);
    case VT_I4:
      return type + " " + number(static_cast<long long>(v.lVal));
    case VT_INT:
      return type + " " + number(static_cast<long long>(v.intVal));
    case VT_UI4:
      return type + " " + number(static_cast<unsigned long long>(v.ulVal));
    case VT_UINT:
      return type + " " + number(static_cast<unsigned long long>(v.uintVal));
    case VT_I8:
      return type + " " + number(static_cast<long long>(v.llVal));
    case VT_UI8:
      return type + " " + number(static_cast<unsigned long long>(v.ullVal));
    case VT_R4:
      return type + " " + number(v.fltVal);
    case VT_R8:
      return type + " " + number(v.dblVal);
    case VT_BOOL:
      return type + " " + number(v.boolVal);
    case VT_BSTR:
      return type + " " + bstrText(v.bstrVal);
    default:
      return type;
  }
}

// ---- values ---------------------------------------------------------------

// A value owned by the table, cleared when it goes. Moves hand the value on
// without copying it, so the table never leans on VariantCopy for itself.
struct Value {
  VARIANT v{};
  Value() = default;
  explicit Value(const VARIANT& value) : v(value) {}
  Value(Value&& other) noexcept : v(other.v) { other.v.vt = VT_EMPTY; }
  Value& operator=(Value&&) = delete;
  ~Value() { VariantClear(&v); }
};

template <typename Setter>
VARIANT make(VARTYPE vt, Setter set) {
  VARIANT v{};
  v.vt = vt;
  set(v);
  return v;
}

VARIANT empty() {
  return make(VT_EMPTY, [](VARIANT&) {});
}
VARIANT null() {
  return make(VT_NULL, [](VARIANT&) {});
}
VARIANT i1(int x) {
  return make(VT_I1, [x](VARIANT& v) { v.cVal = static_cast<CHAR>(x); });
}
VARIANT ui1(unsigned x) {
  return make(VT_UI1, [x](VARIANT& v) { v.bVal = static_cast<BYTE>(x); });
}
VARIANT i2(int x) {
  return make(VT_I2, [x](VARIANT& v) { v.iVal = static_cast<SHORT>(x); });
}
VARIANT ui2(unsigned x) {
  return make(VT_UI2, [x](VARIANT& v) { v.uiVal = static_cast<USHORT>(x); });
}
VARIANT i4(long long x) {
  return make(VT_I4, [x](VARIANT& v) { v.lVal = static_cast<LONG>(x); });
}
VARIANT int_(long long x) {
  return make(VT_INT, [x](VARIANT& v) { v.intVal = static_cast<INT>(x); });
}
VARIANT ui4(unsigned long long x) {
  return make(VT_UI4, [x](VARIANT& v) { v.ulVal = static_cast<ULONG>(x); });
}
VARIANT uint_(unsigned long long x) {
  return make(VT_UINT, [x](VARIANT& v) { v.uintVal = static_cast<UINT>(x); });
}
VARIANT i8(long long x) {
  return make(VT_I8, [x](VARIANT& v) { v.llVal = x; });
}
VARIANT ui8(unsigned long long x) {
  return make(VT_UI8, [x](VARIANT& v) { v.ullVal = x; });
}
VARIANT r4(float x) {
  return make(VT_R4, [x](VARIANT& v) { v.fltVal = x; });
}
VARIANT r8(double x) {
  return make(VT_R8, [x](VARIANT& v) { v.dblVal = x; });
}
VARIANT boolean(int x) {
  return make(VT_BOOL, [x](VARIANT& v) { v.boolVal = static_cast<VARIANT_BOOL>(x); });
}
VARIANT bstr(const OLECHAR* text, UINT length) {
  return make(VT_BSTR, [=](VARIANT& v) { v.bstrVal = SysAllocStringLen(text, length); });
}
VARIANT nullBstr() {
  return make(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; });
}

// Text from ASCII, with \uXXXX escapes for other units.
VARIANT text(const char* ascii) {
  std::vector<OLECHAR> units;
  for (const char* c = ascii; *c != '\0';) {
    if (c[0] == '\\' && c[1] == 'u') {
      units.push_back(
          static_cast<OLECHAR>(std::strtoul(std::string(c + 2, 4).c_str(), nullptr, 16)));
      c += 6;
    } else {
      units.push_back(static_cast<OLECHAR>(static_cast<unsigned char>(*c++)));
    }
  }
  return bstr(units.data(), static_cast<UINT>(units.size()));
}

// ---- coercion -------------------------------------------------------------

constexpr VARTYPE kScalarTypes[] = {VT_EMPTY, VT_NULL, VT_I1,   VT_UI1,  VT_I2, VT_UI2,
                                    VT_I4,    VT_UI4,  VT_INT,  VT_UINT, VT_I8, VT_UI8,
                                    VT_R4,    VT_R8,   VT_BOOL, VT_BSTR};

// Coerces source into a destination that holds a marker, and prints the
// code and what the destination holds afterwards: a failure must leave the
// marker.
void coerce(const std::string& name, const VARIANT& source, VARTYPE target, USHORT flags = 0,
            LCID locale = LOCALE_USER_DEFAULT) {
  Value destination(i4(-777));
  VARIANT borrowed = source;  // Windows' declaration takes the source as non-const
  HRESULT hr = VariantChangeTypeEx(&destination.v, &borrowed, locale, flags, target);
  std::string label = name + " -> " + typeName(target);
  if (flags != 0) label += " flags " + hex(flags, 0);
  if (locale != LOCALE_USER_DEFAULT) label += " locale " + hex(locale, 0);
  row(label, hresult(hr) + " " + describe(destination.v));
}

struct Source {
  std::string name;
  Value value;
  std::vector<VARTYPE> leftOut = {};
};

Source source(const VARIANT& value, std::vector<VARTYPE> leftOut = {}) {
  return Source{describe(value), Value(value), std::move(leftOut)};
}

// Every scalar type at and beyond its bounds, to every scalar type.
void coercionMatrix() {
  section("coerce matrix");
  constexpr double inf = std::numeric_limits<double>::infinity();
  std::vector<Source> sources;
  sources.push_back(source(empty()));
  sources.push_back(source(null()));
  for (int x : {-128, -1, 0, 127}) sources.push_back(source(i1(x)));
  for (unsigned x : {0u, 255u}) sources.push_back(source(ui1(x)));
  for (int x : {-32768, -129, 32767}) sources.push_back(source(i2(x)));
  for (unsigned x : {256u, 65535u}) sources.push_back(source(ui2(x)));
  for (long long x : {-2147483648LL, -32769LL, -1LL, 65536LL, 2147483647LL}) {
    sources.push_back(source(i4(x)));
  }
  for (long long x : {-2147483648LL, 2147483647LL}) sources.push_back(source(int_(x)));
  for (unsigned long long x : {2147483648ULL, 4294967295ULL}) sources.push_back(source(ui4(x)));
  sources.push_back(source(uint_(4294967295ULL)));
  for (long long x : {std::numeric_limits<long long>::min(), -2147483649LL, -1LL, 4294967296LL,
                      std::numeric_limits<long long>::max()}) {
    sources.push_back(source(i8(x)));
  }
  // Wine checks 64-bit values bound for UI2 against the UI4 range and wraps
  // 65536..4294967295 to 16 bits; Windows reports the overflow.
  sources.push_back(source(i8(4294967295LL), {VT_UI2}));
  for (unsigned long long x : {70000ULL, 2147483648ULL})
    sources.push_back(source(ui8(x), {VT_UI2}));
  for (unsigned long long x :
       {4294967296ULL, 9223372036854775808ULL, std::numeric_limits<unsigned long long>::max()}) {
    sources.push_back(source(ui8(x)));
  }
  for (float x : {0.0f, -0.0f, 0.1f, 1.5f, 2.5f, -2.5f, 255.5f, 1234567.0f, 12345678.0f,
                  16777217.0f, 2147483648.0f, 4.2e9f, 1e-5f, 3.4028235e38f, 1.4e-45f, -1e20f}) {
    sources.push_back(source(r4(x)));
  }
  for (double x : {0.0,
                   -0.0,
                   0.1,
                   0.5,
                   1.5,
                   2.5,
                   -0.5,
                   -1.5,
                   -2.5,
                   254.5,
                   255.5,
                   -128.5,
                   -128.6,
                   32767.5,
                   65535.5,
                   2147483647.4,
                   2147483647.5,
                   -2147483648.5,
                   -2147483648.6,
                   4294967295.5,
                   1.0 / 3,
                   1e-4,
                   1e-5,
                   123456789012345.0,
                   1234567890123456.0,
                   999999999999999.5,
                   1e15,
                   1e21,
                   -1.5e-10,
                   4611686018427387904.0,
                   4611686018427387392.0,
                   -4611686018427387904.0,
                   -4611686018427388928.0,
                   9223372036854775808.0,
                   18446744073709549568.0,
                   18446744073709551616.0,
                   3.4028235e38,
                   3.5e38,
                   -3.5e38,
                   1.7976931348623157e308,
                   4.9e-324,
                   1e300}) {
    sources.push_back(source(r8(x)));
  }
  // Windows writes infinities as text differently from one version to the
  // next, and Wine as its C runtime does: only the numeric targets compare.
  sources.push_back(source(r8(inf), {VT_BSTR}));
  sources.push_back(source(r8(-inf), {VT_BSTR}));
  // NaN is left out altogether: Wine turns it into integers by an undefined
  // C conversion (I4 2147483647, S_OK).
  for (int x : {0, -1, 1, 5, 300, -300}) sources.push_back(source(boolean(x)));
  for (const char* t : {"",     " ",     "0",      "-1",         "255",        "256",
                        " 12 ", "1.5",   "2.5",    "-2.5",       "1e3",        "1,000",
                        "-0",   "&HFF",  "&HFFFF", "&H80000000", "&HFFFFFFFF", "&H8000000000000000",
                        "True", "false", "#TRUE#", "abc",        "4294967295", "3.4028235e38"}) {
    sources.push_back(source(text(t)));
  }
  // Wine reads decimal text of more than 15 significant digits into a real
  // with an error of an ulp or two (see "coerce text to reals").
  for (const char* t : {"18446744073709551615", "9223372036854775807.5", "-9223372036854775808"}) {
    sources.push_back(source(text(t), {VT_R4, VT_R8}));
  }
  sources.push_back(source(nullBstr()));

  for (const Source& s : sources) {
    for (VARTYPE target : kScalarTypes) {
      if (std::find(s.leftOut.begin(), s.leftOut.end(), target) != s.leftOut.end()) continue;
      coerce(s.name, s.value.v, target);
    }
  }
}

// Text read as numbers: white space, signs, parentheses, currency, decimals,
// exponents, thousands separators, &H and &O, and what is not a number.
void textToNumber() {
  section("coerce text to I4");
  for (const char* t : {"12",
                        " 12",
                        "12 ",
                        "\\u00091\\u0009",
                        "\\u000a1\\u000d",
                        "\\u00a01",
                        "\\u30001",
                        "\\u20001\\u2028",
                        "\\u001f1",
                        "\\u200b1",
                        "\\ufeff1",
                        "1 2",
                        "",
                        " ",
                        "-",
                        "+",
                        "--1",
                        "+-1",
                        "-+1",
                        "1-",
                        "1+",
                        "-1-",
                        "+1+",
                        "1+-",
                        "- 1",
                        "-\\u00a01",
                        "(1)",
                        "( -1 )",
                        "(1",
                        "1)",
                        "((1))",
                        "(1))",
                        "-(1)",
                        "1.5",
                        "2.5",
                        "3.5",
                        "-2.5",
                        "0.5",
                        "-0.5",
                        "-0.6",
                        "1.",
                        "0.",
                        ".5",
                        ".",
                        "-.5",
                        "1e3",
                        "1E3",
                        "1e+3",
                        "1e-3",
                        "1e--3",
                        "1e+-3",
                        "1e3-",
                        "1.5e1",
                        "15e-1",
                        "25e-1",
                        "1e",
                        "1e+",
                        "e3",
                        ".e1",
                        "1d2",
                        "1 e3",
                        "1e 3",
                        "1e3.5",
                        "1.2.3",
                        "1e0001",
                        "1e400",
                        "1e-400",
                        "1E99999999999",
                        "0e99999",
                        "2147483647",
                        "2147483648",
                        "-2147483648",
                        "-2147483649",
                        "2147483647.5",
                        "2147483646.5",
                        "-2147483648.5",
                        "-2147483648.6",
                        "1,000",
                        "1,000,000",
                        "1,0",
                        ",1",
                        "0,1",
                        "1,",
                        "1,,0",
                        "1,000.5",
                        "12,34,5",
                        "1,5e1",
                        "1,e3",
                        ".,5",
                        "&H10",
                        "&h1f",
                        "&HFFFF",
                        "&H7FFFFFFF",
                        "&H80000000",
                        "&HFFFFFFFF",
                        "&H100000000",
                        "&H",
                        "&H1G",
                        "&H1e",
                        " &H10 ",
                        "&H 10",
                        "-&H10",
                        "(&H10)",
                        "&H1-",
                        "&H-1",
                        "&H1,0",
                        "&H1.0",
                        "0&H1",
                        "&H0000000000000000000001",
                        "&O17",
                        "&o17",
                        "&O8",
                        "&O37777777777",
                        "&O2000000000000000000000",
                        "&B101",
                        "0x10",
                        "$1",
                        "1$",
                        "$-1",
                        "-$1",
                        "($1)",
                        "$$1",
                        "1$$",
                        "$1$",
                        "$ 1 ",
                        "1$5",
                        "$&H10",
                        "1%",
                        "0000000000000000000000000001",
                        "12345678901234567890123456789e-20",
                        "123456789012345678901234567890",
                        "0.5000000000000000000000001",
                        "2.50000000000000000001",
                        "2.5000000000000000000",
                        "1\\u00002",
                        "\\u00001",
                        "\\u0661",
                        "\\uff11",
                        "True",
                        "Yes"}) {
    Value value(text(t));
    coerce(describe(value.v), value.v, VT_I4);
  }

  section("coerce text to other integers");
  for (const char* t : {"&H7F",
                        "&H80",
                        "&HFF",
                        "&H100",
                        "&H7FFF",
                        "&H8000",
                        "&HFFFF",
                        "&H10000",
                        "&HFFFFFFFF",
                        "&H100000000",
                        "&H7FFFFFFFFFFFFFFF",
                        "&H8000000000000000",
                        "&HFFFFFFFFFFFFFFFF",
                        "&H10000000000000000",
                        "&O377",
                        "-&H1",
                        "9223372036854775807",
                        "9223372036854775808",
                        "-9223372036854775808",
                        "-9223372036854775809",
                        "9223372036854775807.5",
                        "18446744073709551615",
                        "18446744073709551616",
                        "4611686018427387904",
                        "-1",
                        "-0.5",
                        "-0.6",
                        "254.5",
                        "255.5",
                        "-128.5",
                        "127.5",
                        "65535.5"}) {
    Value value(text(t));
    for (VARTYPE target : {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_UI4, VT_INT, VT_UINT, VT_I8, VT_UI8}) {
      coerce(describe(value.v), value.v, target);
    }
  }

  section("coerce text to reals");
  // Wine reads decimal text into a real with an error of an ulp or two once
  // it has more than 15 significant digits or needs a power of ten beyond
  // 10^22, reports an overflow at 1.7976931348623157E+308, and reports one
  // for single reals that round to the smallest denormals or to zero (1E-45,
  // 1E-320). Windows keeps to the nearest value, as the layer does. Left in
  // are such text whose result is exact in both and the bounds of the
  // single type at 3.4E+38, where no ulp of the double decides.
  for (const char* t : {"1.5",
                        "-0",
                        "0.1",
                        "0.2",
                        "0.3",
                        "2.675",
                        "1e-5",
                        "123.456",
                        "1,5",
                        "-1,234.5",
                        "3.14159265358979",
                        "1e22",
                        "1e-400",
                        "1e400",
                        "-1e400",
                        "0.000001",
                        "1.5e-10",
                        "(2.5)",
                        "$1.5",
                        "&HFFFF",
                        "&H8000",
                        "&H7FFFFFFF",
                        "&H80000000",
                        "&HFFFFFFFF",
                        "&O177777",
                        "-&H10",
                        "abc",
                        "",
                        "1e",
                        "16777217",
                        "3.4028235e38",
                        "3.4028236e38",
                        "0.7"}) {
    Value value(text(t));
    coerce(describe(value.v), value.v, VT_R8);
    coerce(describe(value.v), value.v, VT_R4);
  }
}

void textAndBooleans() {
  section("coerce text to BOOL");
  for (const char* t :
       {"True",       "true",       "TRUE",   "tRuE",     "False",        "FALSE",
        "#TRUE#",     "#FALSE#",    "#True#", "# TRUE #", "#TRUE",        " True",
        "True ",      "Tru",        "Truex",  "-True",    "(False)",      "Yes",
        "No",         "On",         "0",      "1",        "-1",           "2",
        "0.0",        "0.4",        "",       " ",        "abc",          "&H0",
        "&H80000000", "&HFFFFFFFF", "1e-400", "1e400",    "True\\u0000x", "False\\u0000x",
        "Wahr"}) {
    Value value(text(t));
    coerce(describe(value.v), value.v, VT_BOOL);
  }

  section("coerce BOOL to text");
  for (int x : {-1, 0, 1, 5}) {
    for (USHORT flags : {0x0, 0x1, 0x2, 0x4, 0x10, 0x12})
      coerce(describe(boolean(x)), boolean(x), VT_BSTR, flags);
  }
}

// The rules around the values: tags, references, in-place use, locales.
void coercionRules() {
  section("coerce bad target types");
  for (VARTYPE target :
       {VARTYPE(15), VARTYPE(VT_VOID), VARTYPE(VT_HRESULT), VARTYPE(VT_PTR), VARTYPE(VT_SAFEARRAY),
        VARTYPE(VT_CARRAY), VARTYPE(VT_USERDEFINED), VARTYPE(VT_LPSTR), VARTYPE(VT_LPWSTR),
        VARTYPE(VT_INT_PTR), VARTYPE(VT_UINT_PTR), VARTYPE(0x7F), VARTYPE(0xFFF),
        VARTYPE(VT_VECTOR | VT_I4), VARTYPE(VT_RESERVED | VT_I4), VARTYPE(VT_ARRAY),
        VARTYPE(VT_BYREF), VARTYPE(VT_BYREF | VT_NULL)}) {
    coerce("I4 7", i4(7), target);
    coerce("NULL", null(), target);
  }

  // Currency, dates and decimals are not compared: Windows converts them, the
  // layer does not (the library never meets them) and answers
  // DISP_E_TYPEMISMATCH. Here are the types that neither side converts to.
  section("coerce unsupported target types");
  for (VARTYPE target : {VARTYPE(VT_DISPATCH), VARTYPE(VT_UNKNOWN), VARTYPE(VT_ERROR),
                         VARTYPE(VT_VARIANT), VARTYPE(VT_RECORD), VARTYPE(VT_ARRAY | VT_I4),
                         VARTYPE(VT_BYREF | VT_I4), VARTYPE(VT_BYREF | VT_BSTR)}) {
    Value text42(text("42"));
    coerce("I4 7", i4(7), target);
    coerce("BSTR \"42\"", text42.v, target);
  }

  section("coerce bad source types");
  for (VARTYPE type : {VARTYPE(15), VARTYPE(VT_VOID), VARTYPE(VT_LPWSTR), VARTYPE(0x7F),
                       VARTYPE(VT_VECTOR | VT_I4), VARTYPE(VT_RESERVED | VT_I4), VARTYPE(VT_ARRAY),
                       VARTYPE(VT_BYREF), VARTYPE(VT_BYREF | VT_NULL)}) {
    VARIANT bad{};
    bad.vt = type;
    coerce(typeName(type), bad, VT_I4);
    coerce(typeName(type), bad, VT_BSTR);
  }

  section("coerce arrays");
  for (VARTYPE element : {VT_I4, VT_UI1}) {
    for (VARTYPE target : std::initializer_list<VARTYPE>{VT_EMPTY, VT_NULL, VT_I4, VT_BSTR, VT_BOOL,
                                                         VARTYPE(VT_ARRAY | element)}) {
      SAFEARRAY* array = SafeArrayCreateVector(element, 0, 2);
      std::memset(array->pvData, 0x41, std::size_t{2} * SafeArrayGetElemsize(array));
      Value holder(make(VT_ARRAY | element, [array](VARIANT& v) { v.parray = array; }));
      coerce(typeName(holder.v.vt), holder.v, target);
    }
  }

  for (const char* t : {"AB", "", "\\u00e9x", "ABC"}) {
    Value value(text(t));
    coerce(describe(value.v), value.v, VT_ARRAY | VT_UI1);
    coerce(describe(value.v), value.v, VT_ARRAY | VT_I4);
  }
  Value oddBytes(make(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocStringByteLen("xyz", 3); }));
  coerce("BSTR of 3 bytes", oddBytes.v, VT_ARRAY | VT_UI1);
  Value nullText(nullBstr());
  coerce("BSTR null", nullText.v, VT_ARRAY | VT_UI1);
  SAFEARRAYBOUND square[] = {{2, 0}, {2, 0}};
  Value square2d(
      make(VT_ARRAY | VT_UI1, [&](VARIANT& v) { v.parray = SafeArrayCreate(VT_UI1, 2, square); }));
  coerce("ARRAY|UI1 of 2 dims", square2d.v, VT_BSTR);
  Value shifted(make(VT_ARRAY | VT_UI1, [](VARIANT& v) {
    v.parray = SafeArrayCreateVector(VT_UI1, 5, 3);
    std::memcpy(v.parray->pvData, "abc", 3);
  }));
  coerce("ARRAY|UI1 from index 5", shifted.v, VT_BSTR);
  VARIANT referenceToArray =
      make(VT_BYREF | VT_ARRAY | VT_UI1, [&](VARIANT& v) { v.pparray = &shifted.v.parray; });
  coerce("BYREF|ARRAY|UI1", referenceToArray, VT_BSTR);
  Value inPlace(text("hi"));
  HRESULT hr = VariantChangeType(&inPlace.v, &inPlace.v, 0, VT_ARRAY | VT_UI1);
  row("BSTR \"hi\" in place -> ARRAY|UI1", hresult(hr) + " " + describe(inPlace.v));

  section("coerce by reference");
  {
    CHAR c = -5;
    SHORT s = -300;
    LONG l = 2147483647;
    ULONGLONG u = 18446744073709551615ULL;
    DOUBLE d = 2.5;
    VARIANT_BOOL b = VARIANT_TRUE;
    Value owned(text("42"));
    BSTR t = owned.v.bstrVal;
    VARIANT references[] = {
        make(VT_BYREF | VT_I1, [&](VARIANT& v) { v.pcVal = &c; }),
        make(VT_BYREF | VT_I2, [&](VARIANT& v) { v.piVal = &s; }),
        make(VT_BYREF | VT_I4, [&](VARIANT& v) { v.plVal = &l; }),
        make(VT_BYREF | VT_UI8, [&](VARIANT& v) { v.pullVal = &u; }),
        make(VT_BYREF | VT_R8, [&](VARIANT& v) { v.pdblVal = &d; }),
        make(VT_BYREF | VT_BOOL, [&](VARIANT& v) { v.pboolVal = &b; }),
        make(VT_BYREF | VT_BSTR, [&](VARIANT& v) { v.pbstrVal = &t; }),
    };
    for (const VARIANT& reference : references) {
      for (VARTYPE target : {VT_BSTR, VT_I4, VT_I2, VT_BOOL, VT_R8}) {
        coerce(typeName(reference.vt), reference, target);
      }
    }
    VARIANT inner = i4(-12);
    VARIANT throughVariant = make(VT_BYREF | VT_VARIANT, [&](VARIANT& v) { v.pvarVal = &inner; });
    coerce("BYREF|VARIANT to I4 -12", throughVariant, VT_BSTR);
    coerce("BYREF|VARIANT to I4 -12", throughVariant, VT_R8);
    VARIANT innerText = owned.v;
    VARIANT throughText = make(VT_BYREF | VT_VARIANT, [&](VARIANT& v) { v.pvarVal = &innerText; });
    coerce("BYREF|VARIANT to BSTR \"42\"", throughText, VT_I4);
    row("referenced values after coercion", number(static_cast<int>(c)) + " " + number(s) + " " +
                                                number(static_cast<long long>(l)) + " " +
                                                number(d) + " " + bstrText(t));
  }

  section("coerce in place");
  {
    struct InPlace {
      VARIANT value;
      VARTYPE target;
    };
    for (const InPlace& c :
         {InPlace{text("42"), VT_I4}, InPlace{text("abc"), VT_I4}, InPlace{text("1e10"), VT_I4},
          InPlace{r8(2.5), VT_BSTR}, InPlace{r8(2.5), VT_I4}, InPlace{i4(7), VT_I4},
          InPlace{text("x"), VT_BSTR}, InPlace{null(), VT_I4}, InPlace{boolean(-1), VT_BSTR},
          InPlace{text("True"), VT_BOOL}, InPlace{text("1.5"), VT_EMPTY},
          InPlace{i4(3), VT_NULL}}) {
      Value value(c.value);
      std::string before = describe(value.v);
      HRESULT hr = VariantChangeType(&value.v, &value.v, 0, c.target);
      row(before + " -> " + typeName(c.target), hresult(hr) + " " + describe(value.v));
    }
    LONG referenced = 99;
    VARIANT reference = make(VT_BYREF | VT_I4, [&](VARIANT& v) { v.plVal = &referenced; });
    HRESULT hr = VariantChangeType(&reference, &reference, 0, VT_BSTR);
    row("BYREF|I4 99 -> BSTR", hresult(hr) + " " + describe(reference) + " referent " +
                                   number(static_cast<long long>(referenced)));
    VariantClear(&reference);
  }

  section("coerce destination kept on failure");
  {
    struct Failure {
      VARIANT source;
      VARTYPE target;
    };
    for (const Failure& f :
         {Failure{r8(1e10), VT_I4}, Failure{null(), VT_BSTR}, Failure{text("abc"), VT_R8},
          Failure{i4(1), VARTYPE(15)}, Failure{i4(1), VT_DISPATCH}}) {
      Value source(f.source);
      Value destination(text("keep"));
      HRESULT hr = VariantChangeType(&destination.v, &source.v, 0, f.target);
      row(describe(source.v) + " -> " + typeName(f.target),
          hresult(hr) + " " + describe(destination.v) + " source " + describe(source.v));
    }
    Value source(text("12"));
    Value destination(text("replaced"));
    HRESULT hr = VariantChangeType(&destination.v, &source.v, 0, VT_I4);
    row("BSTR \"12\" over BSTR \"replaced\" -> I4",
        hresult(hr) + " " + describe(destination.v) + " source " + describe(source.v));
  }

  section("coerce locales");
  for (LCID locale : {LCID(0x400), LCID(0x800), LCID(0x409), LCID(0)}) {
    Value text1(text("1,234.5"));
    coerce("R8 1234.5", r8(1234.5), VT_BSTR, 0, locale);
    coerce(describe(text1.v), text1.v, VT_R8, 0, locale);
    coerce("BOOL -1", boolean(-1), VT_BSTR, VARIANT_ALPHABOOL, locale);
  }
}

// ---- BSTR -----------------------------------------------------------------

std::string bstrFacts(BSTR text) {
  if (text == nullptr)
    return "null len=" + number(SysStringLen(text)) + " bytes=" + number(SysStringByteLen(text));
  UINT prefix;
  std::memcpy(&prefix, reinterpret_cast<const char*>(text) - sizeof prefix, sizeof prefix);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  UINT byteLength = SysStringByteLen(text);
  // The two zero bytes after the last byte terminate every BSTR.
  std::string terminator = number(bytes[byteLength]) + "," + number(bytes[byteLength + 1]);
  return "len=" + number(SysStringLen(text)) + " bytes=" + number(byteLength) +
         " prefix=" + number(prefix) + " terminator=" + terminator;
}

void bstrLengths() {
  section("bstr");
  struct Made {
    const char* name;
    BSTR text;
    bool showText;
  };
  const OLECHAR withZero[] = {'a', 'b', 0, 'c', 0};
  Made made[] = {
      {"SysAllocString abc", SysAllocString(OLESTR("abc")), true},
      {"SysAllocString empty", SysAllocString(OLESTR("")), true},
      {"SysAllocString null", SysAllocString(nullptr), true},
      {"SysAllocString stops at zero", SysAllocString(withZero), true},
      {"SysAllocStringLen with zero", SysAllocStringLen(withZero, 4), true},
      {"SysAllocStringLen short", SysAllocStringLen(OLESTR("abcdef"), 2), true},
      {"SysAllocStringLen null 0", SysAllocStringLen(nullptr, 0), true},
      {"SysAllocStringLen null 5", SysAllocStringLen(nullptr, 5), false},
      {"SysAllocStringByteLen abc", SysAllocStringByteLen("abc", 3), false},
      {"SysAllocStringByteLen abcd", SysAllocStringByteLen("abcd", 4), true},
      {"SysAllocStringByteLen 1", SysAllocStringByteLen("a", 1), false},
      {"SysAllocStringByteLen null 0", SysAllocStringByteLen(nullptr, 0), true},
      {"SysAllocStringByteLen null 6", SysAllocStringByteLen(nullptr, 6), false},
  };
  for (const Made& m : made) {
    std::string facts = bstrFacts(m.text);
    if (m.showText && m.text != nullptr) facts += " text=" + bstrText(m.text);
    row(m.name, facts);
    SysFreeString(m.text);
  }
  BSTR odd = SysAllocStringByteLen("abc", 3);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(odd);
  row("SysAllocStringByteLen abc bytes",
      number(bytes[0]) + "," + number(bytes[1]) + "," + number(bytes[2]) + "," + number(bytes[3]));
  SysFreeString(odd);
  SysFreeString(nullptr);
  row("SysFreeString null", "returned");
}

// ---- SAFEARRAY ------------------------------------------------------------

std::string arrayFacts(SAFEARRAY* array) {
  if (array == nullptr) return "null";
  std::string facts = "dims=" + number(array->cDims) + " features=" + hex(array->fFeatures, 4) +
                      " cbElements=" + number(array->cbElements) +
                      " cLocks=" + number(array->cLocks) + " bounds=";
  for (USHORT i = 0; i < array->cDims; ++i) {
    facts += "[" + number(array->rgsabound[i].cElements) + "," +
             number(static_cast<long long>(array->rgsabound[i].lLbound)) + "]";
  }
  VARTYPE type = 0;
  HRESULT hr = SafeArrayGetVartype(array, &type);
  facts += " vartype " + hresult(hr) + " " + typeName(type);
  facts +=
      " dim=" + number(SafeArrayGetDim(array)) + " elemsize=" + number(SafeArrayGetElemsize(array));
  return facts;
}

std::string boundFacts(SAFEARRAY* array, UINT dimension) {
  LONG lower = -99, upper = -99;
  HRESULT lowerHr = SafeArrayGetLBound(array, dimension, &lower);
  HRESULT upperHr = SafeArrayGetUBound(array, dimension, &upper);
  return "lbound " + hresult(lowerHr) + " " + number(static_cast<long long>(lower)) + " ubound " +
         hresult(upperHr) + " " + number(static_cast<long long>(upper));
}

void safeArrayShapes() {
  section("safearray create");
  for (VARTYPE type : std::initializer_list<VARTYPE>{
           VT_I1, VT_UI1, VT_I2, VT_I4, VT_R4, VT_R8, VT_BOOL, VT_BSTR, VT_VARIANT, VT_UNKNOWN,
           VT_DISPATCH, VT_I8, VT_INT, VT_ERROR, VT_EMPTY, VT_NULL, 15}) {
    SAFEARRAYBOUND bound{3, -1};
    SAFEARRAY* array = SafeArrayCreate(type, 1, &bound);
    row("SafeArrayCreate " + typeName(type), arrayFacts(array));
    SafeArrayDestroy(array);
  }
  SAFEARRAYBOUND bounds[] = {{2, 0}, {3, 1}, {4, -2}};
  SAFEARRAY* cube = SafeArrayCreate(VT_I4, 3, bounds);
  row("SafeArrayCreate 3 dims", arrayFacts(cube));
  for (UINT dimension : {0u, 1u, 2u, 3u, 4u}) {
    row("3 dims bounds of dimension " + number(dimension), boundFacts(cube, dimension));
  }
  SafeArrayDestroy(cube);
  SAFEARRAY* noDimensions = SafeArrayCreate(VT_I4, 0, bounds);
  row("SafeArrayCreate 0 dims", arrayFacts(noDimensions));
  SafeArrayDestroy(noDimensions);
  SAFEARRAYBOUND emptyBound{0, 5};
  SAFEARRAY* emptyArray = SafeArrayCreate(VT_I4, 1, &emptyBound);
  row("SafeArrayCreate 0 elements", arrayFacts(emptyArray) + " " + boundFacts(emptyArray, 1));
  SafeArrayDestroy(emptyArray);
  SAFEARRAY* vector = SafeArrayCreateVector(VT_R8, 10, 4);
  row("SafeArrayCreateVector R8", arrayFacts(vector) + " " + boundFacts(vector, 1));
  SafeArrayDestroy(vector);
  row("SafeArrayDestroy null", hresult(SafeArrayDestroy(nullptr)));
}

void safeArrayIndices() {
  section("safearray index");
  SAFEARRAYBOUND bound{5, -2};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 1, &bound);
  for (LONG index = -4; index <= 4; ++index) {
    LONG value = index * 100;
    HRESULT put = SafeArrayPutElement(array, &index, &value);
    LONG read = -1;
    HRESULT get = SafeArrayGetElement(array, &index, &read);
    void* pointer = nullptr;
    HRESULT ptr = SafeArrayPtrOfIndex(array, &index, &pointer);
    std::string offset =
        pointer == nullptr
            ? "null"
            : number(static_cast<char*>(pointer) - static_cast<char*>(array->pvData));
    row("index " + number(static_cast<long long>(index)),
        "put " + hresult(put) + " get " + hresult(get) + " " +
            number(static_cast<long long>(read)) + " ptr " + hresult(ptr) + " offset " + offset);
  }
  SafeArrayDestroy(array);

  SAFEARRAYBOUND square[] = {{2, 1}, {2, 1}};
  SAFEARRAY* matrix = SafeArrayCreate(VT_I2, 2, square);
  LONG indices[][2] = {{1, 1}, {2, 2}, {0, 1}, {1, 3}, {3, 1}};
  for (LONG* at : indices) {
    SHORT value = 5;
    row("2 dims index " + number(static_cast<long long>(at[0])) + "," +
            number(static_cast<long long>(at[1])),
        "put " + hresult(SafeArrayPutElement(matrix, at, &value)));
  }
  SafeArrayDestroy(matrix);
}

void safeArrayLocks() {
  section("safearray locks");
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 3);
  auto locks = [array] { return "cLocks=" + number(array->cLocks); };
  row("lock", then(SafeArrayLock(array), locks));
  row("lock again", then(SafeArrayLock(array), locks));
  row("destroy while locked", then(SafeArrayDestroy(array), locks));
  row("unlock", then(SafeArrayUnlock(array), locks));
  row("unlock", then(SafeArrayUnlock(array), locks));
  row("unlock unlocked", then(SafeArrayUnlock(array), locks));
  void* data = nullptr;
  row("access data", then(SafeArrayAccessData(array, &data), [&] {
        return locks() + " data is pvData " + yes(data == array->pvData);
      }));
  row("destroy while accessed", then(SafeArrayDestroy(array), locks));
  row("unaccess data", then(SafeArrayUnaccessData(array), locks));
  row("unaccess again", then(SafeArrayUnaccessData(array), locks));
  row("destroy", hresult(SafeArrayDestroy(array)));
  row("lock null", hresult(SafeArrayLock(nullptr)));
  row("unlock null", hresult(SafeArrayUnlock(nullptr)));
}

void safeArrayElements() {
  section("safearray elements");
  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
  BSTR original = SysAllocString(OLESTR("first"));
  LONG index = 0;
  row("put BSTR", hresult(SafeArrayPutElement(texts, &index, original)));
  BSTR* cells = static_cast<BSTR*>(texts->pvData);
  row("stored BSTR", bstrText(cells[0]) + " is a copy " + yes(cells[0] != original));
  SysFreeString(original);
  BSTR read = nullptr;
  row("get BSTR", then(SafeArrayGetElement(texts, &index, &read),
                       [&] { return bstrText(read) + " is a copy " + yes(read != cells[0]); }));
  SysFreeString(read);
  index = 1;
  read = SysAllocString(OLESTR("x"));
  BSTR kept = read;
  row("get unset BSTR", then(SafeArrayGetElement(texts, &index, &read),
                             [&] { return bstrText(read) + " overwritten " + yes(read != kept); }));
  if (read != kept) SysFreeString(read);
  SysFreeString(kept);
  row("put null BSTR", then(SafeArrayPutElement(texts, &index, nullptr),
                            [&] { return bstrText(static_cast<BSTR*>(texts->pvData)[1]); }));
  SAFEARRAY* copy = nullptr;
  HRESULT copied = SafeArrayCopy(texts, &copy);
  std::string first = "none";
  if (copy != nullptr) {
    BSTR copiedText = static_cast<BSTR*>(copy->pvData)[0];
    first = bstrText(copiedText) + " is a copy " + yes(copiedText != cells[0]);
  }
  row("copy BSTR array", hresult(copied) + " " + arrayFacts(copy) + " element " + first);
  SafeArrayDestroy(copy);
  SafeArrayDestroy(texts);

  SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 1, 2);
  Value element(text("inner"));
  index = 1;
  row("put VARIANT", hresult(SafeArrayPutElement(variants, &index, &element.v)));
  VARIANT* stored = static_cast<VARIANT*>(variants->pvData);
  row("stored VARIANT",
      describe(stored[0]) + " is a copy " + yes(stored[0].bstrVal != element.v.bstrVal));
  Value out(i4(5));
  row("get VARIANT", then(SafeArrayGetElement(variants, &index, &out.v), [&] {
        return describe(out.v) + " is a copy " + yes(out.v.bstrVal != stored[0].bstrVal);
      }));
  index = 2;
  Value unset;
  row("get unset VARIANT",
      then(SafeArrayGetElement(variants, &index, &unset.v), [&] { return describe(unset.v); }));
  Value number42(i4(42));
  row("put I4 VARIANT", then(SafeArrayPutElement(variants, &index, &number42.v),
                             [&] { return describe(stored[1]); }));
  SafeArrayDestroy(variants);
}

// Writes r*10+c at (r, c) of a 3 x 4 array through the indexed calls and
// prints the data block: it shows which dimension varies fastest, and which
// end of the index list names dimension 1.
void safeArrayOrder() {
  section("safearray order");
  SAFEARRAYBOUND bounds[] = {{3, 0}, {4, 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  row("3 x 4", arrayFacts(array) + " " + boundFacts(array, 1) + " " + boundFacts(array, 2));
  for (LONG first = 0; first < 3; ++first) {
    for (LONG second = 1; second <= 4; ++second) {
      LONG indices[] = {first, second};
      LONG value = first * 10 + second;
      HRESULT hr = SafeArrayPutElement(array, indices, &value);
      if (FAILED(hr)) row("put " + number(static_cast<long long>(first)), hresult(hr));
    }
  }
  std::string block;
  const LONG* data = static_cast<const LONG*>(array->pvData);
  for (int i = 0; i < 12; ++i) block += number(static_cast<long long>(data[i])) + " ";
  row("data block", block);
  LONG indices[] = {2, 3};
  void* pointer = nullptr;
  HRESULT hr = SafeArrayPtrOfIndex(array, indices, &pointer);
  row("PtrOfIndex {2,3}",
      hresult(hr) + " element " +
          (pointer ? number(static_cast<const LONG*>(pointer) - data) : "none"));
  SafeArrayDestroy(array);
}

// ---- VariantCopy / VariantClear -------------------------------------------

void variantCopyAndClear() {
  section("variant copy and clear");
  {
    SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, 0, 3);
    for (LONG i = 0; i < 3; ++i) static_cast<LONG*>(numbers->pvData)[i] = 7 * i;
    Value holder(make(VT_ARRAY | VT_I4, [numbers](VARIANT& v) { v.parray = numbers; }));
    Value copy;
    HRESULT hr = VariantCopy(&copy.v, &holder.v);
    std::string data = "none";
    if (SUCCEEDED(hr) && copy.v.parray != nullptr) {
      const LONG* copied = static_cast<const LONG*>(copy.v.parray->pvData);
      data = number(static_cast<long long>(copied[0])) + "," +
             number(static_cast<long long>(copied[1])) + "," +
             number(static_cast<long long>(copied[2])) + " new array " +
             yes(copy.v.parray != numbers) + " " + arrayFacts(copy.v.parray);
    }
    row("copy ARRAY|I4", hresult(hr) + " " + typeName(copy.v.vt) + " " + data);
    row("clear ARRAY|I4", then(VariantClear(&copy.v), [&] { return describe(copy.v); }));
    SafeArrayLock(numbers);
    HRESULT locked = VariantClear(&holder.v);
    row("clear locked ARRAY|I4", then(locked, [&] { return typeName(holder.v.vt); }));
    // A refused clear leaves the array alive and locked; one that went ahead
    // took it away, and it must not be touched again.
    if (FAILED(locked)) {
      SafeArrayUnlock(numbers);
      SafeArrayDestroy(numbers);
    }
    holder.v.vt = VT_EMPTY;
  }
  {
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 1);
    static_cast<BSTR*>(texts->pvData)[0] = SysAllocString(OLESTR("t"));
    Value holder(make(VT_ARRAY | VT_BSTR, [texts](VARIANT& v) { v.parray = texts; }));
    Value copy;
    HRESULT hr = VariantCopy(&copy.v, &holder.v);
    std::string element = "none";
    if (SUCCEEDED(hr) && copy.v.parray != nullptr) {
      BSTR copied = static_cast<BSTR*>(copy.v.parray->pvData)[0];
      element =
          bstrText(copied) + " is a copy " + yes(copied != static_cast<BSTR*>(texts->pvData)[0]);
    }
    row("copy ARRAY|BSTR", hresult(hr) + " " + element);
  }
  {
    LONG referenced = 5;
    VARIANT reference = make(VT_BYREF | VT_I4, [&](VARIANT& v) { v.plVal = &referenced; });
    Value copy;
    HRESULT hr = VariantCopy(&copy.v, &reference);
    row("copy BYREF|I4", hresult(hr) + " " + typeName(copy.v.vt) + " same referent " +
                             yes(copy.v.plVal == &referenced));
    row("clear BYREF|I4", then(VariantClear(&copy.v), [&] {
          return describe(copy.v) + " referent " + number(static_cast<long long>(referenced));
        }));
  }
  {
    BSTR referenced = SysAllocString(OLESTR("kept"));
    VARIANT reference = make(VT_BYREF | VT_BSTR, [&](VARIANT& v) { v.pbstrVal = &referenced; });
    Value copy;
    HRESULT hr = VariantCopy(&copy.v, &reference);
    row("copy BYREF|BSTR", hresult(hr) + " " + typeName(copy.v.vt) + " same referent " +
                               yes(copy.v.pbstrVal == &referenced));
    row("clear BYREF|BSTR", then(VariantClear(&reference), [&] {
          return describe(reference) + " referent " + bstrText(referenced);
        }));
    SysFreeString(referenced);
  }
  {
    Value inner(text("in"));
    VARIANT reference = make(VT_BYREF | VT_VARIANT, [&](VARIANT& v) { v.pvarVal = &inner.v; });
    Value copy;
    HRESULT hr = VariantCopy(&copy.v, &reference);
    row("copy BYREF|VARIANT", hresult(hr) + " " + typeName(copy.v.vt) + " same referent " +
                                  yes(copy.v.pvarVal == &inner.v));
  }
  {
    const OLECHAR units[] = {'a', 0, 'b'};
    Value withZero(bstr(units, 3));
    Value copy;
    row("copy BSTR with zero",
        then(VariantCopy(&copy.v, &withZero.v), [&] { return describe(copy.v); }));
    Value nullText(nullBstr());
    Value copyOfNull;
    row("copy null BSTR",
        then(VariantCopy(&copyOfNull.v, &nullText.v), [&] { return describe(copyOfNull.v); }));
    Value over(text("old"));
    row("copy over BSTR",
        then(VariantCopy(&over.v, &withZero.v), [&] { return describe(over.v); }));
    row("copy onto itself", then(VariantCopy(&over.v, &over.v), [&] { return describe(over.v); }));
  }
  for (VARTYPE bad : {VARTYPE(15), VARTYPE(VT_VECTOR | VT_I4), VARTYPE(0x7F)}) {
    VARIANT source{};
    source.vt = bad;
    Value destination(i4(3));
    row("copy " + typeName(bad),
        then(VariantCopy(&destination.v, &source), [&] { return describe(destination.v); }));
    row("clear " + typeName(bad), then(VariantClear(&source), [&] { return typeName(source.vt); }));
  }
}

// ---- apartments -----------------------------------------------------------

// Each scenario runs on a fresh thread, which starts outside any apartment.
template <typename Scenario>
void onFreshThread(Scenario scenario) {
  std::thread thread(scenario);
  thread.join();
}

void apartments() {
  section("apartments");
  onFreshThread([] {
    row("MTA", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    row("MTA again", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    row("then STA", hresult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    CoUninitialize();
    CoUninitialize();
    row("MTA after two uninitialisations", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    CoUninitialize();
  });
  onFreshThread([] {
    row("STA", hresult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    row("STA again", hresult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    row("then MTA", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    CoUninitialize();
    CoUninitialize();
    row("MTA after leaving STA", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    CoUninitialize();
  });
  onFreshThread([] {
    row("CoInitialize", hresult(CoInitialize(nullptr)));
    row("then MTA", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    row("then STA with DISABLE_OLE1DDE",
        hresult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)));
    CoUninitialize();
    CoUninitialize();
  });
  onFreshThread([] {
    CoUninitialize();
    row("MTA after a stray uninitialisation",
        hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    CoUninitialize();
  });
  onFreshThread([] {
    row("MTA with SPEED_OVER_MEMORY",
        hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_SPEED_OVER_MEMORY)));
    CoUninitialize();
  });
  onFreshThread([] {
    int reserved = 0;
    HRESULT hr = CoInitializeEx(&reserved, COINIT_MULTITHREADED);
    row("MTA with a reserved pointer", hresult(hr));
    if (SUCCEEDED(hr)) CoUninitialize();
  });
  onFreshThread([] {
    row("MTA on the first thread", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    onFreshThread([] {
      row("MTA on a second thread", hresult(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
      CoUninitialize();
    });
    onFreshThread([] {
      row("STA on a third thread", hresult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
      CoUninitialize();
    });
    CoUninitialize();
  });
}

}  // namespace

int main() {
  coercionMatrix();
  textToNumber();
  textAndBooleans();
  coercionRules();
  bstrLengths();
  safeArrayShapes();
  safeArrayIndices();
  safeArrayLocks();
  safeArrayElements();
  safeArrayOrder();
  variantCopyAndClear();
  apartments();
  std::printf("end | %d cases\n", caseCount);
  return 0;
}
