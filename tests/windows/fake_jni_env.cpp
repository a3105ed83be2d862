#include "fake_jni_env.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace vardelon::wine {
namespace {

// The function slots of JNINativeInterface_ after its reserved words, in
// table order, as the build read them from jni.h.
constexpr const char* kSlotNames[] = {
#include "jni_slot_names.inc"
};
constexpr std::size_t kReservedSlots = 4;
constexpr std::size_t kSlotCount = std::size(kSlotNames);
static_assert(sizeof(JNINativeInterface_) == (kReservedSlots + kSlotCount) * sizeof(void*),
              "every slot of the JNI function table has a name");

[[noreturn]] void stop(const char* what, const char* detail) {
  std::printf("fake JNI environment: %s%s\n", what, detail);
  std::fflush(stdout);
  std::abort();
}

// The arguments a caller passes are never read: the stub only names its slot.
template <std::size_t Slot>
void JNICALL unserved() {
  stop("the library called a function it does not serve: ", kSlotNames[Slot]);
}

using Stub = void(JNICALL*)();

template <std::size_t... Slot>
constexpr std::array<Stub, sizeof...(Slot)> stubsFor(std::index_sequence<Slot...>) {
  return {&unserved<Slot>...};
}

constexpr auto kUnservedStubs = stubsFor(std::make_index_sequence<kSlotCount>());

// Java's modified UTF-8: one to three bytes a UTF-16 code unit.
std::u16string fromModifiedUtf8(const char* bytes) {
  std::u16string units;
  for (const auto* byte = reinterpret_cast<const unsigned char*>(bytes); *byte != 0;) {
    const int trailing = *byte < 0x80 ? 0 : (*byte >> 5) == 0x6 ? 1 : (*byte >> 4) == 0xE ? 2 : -1;
    if (trailing < 0) stop("not modified UTF-8: ", bytes);
    char16_t unit = trailing == 0 ? *byte : *byte & (trailing == 1 ? 0x1F : 0x0F);
    ++byte;
    for (int i = 0; i < trailing; ++i, ++byte) {
      if ((*byte & 0xC0) != 0x80) stop("not modified UTF-8: ", bytes);
      unit = static_cast<char16_t>(unit << 6 | (*byte & 0x3F));
    }
    units.push_back(unit);
  }
  return units;
}

}  // namespace

FakeJniEnv::FakeJniEnv() : table_{} {
  for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
    std::memcpy(reinterpret_cast<char*>(&table_) + (kReservedSlots + slot) * sizeof(Stub),
                &kUnservedStubs[slot], sizeof(Stub));
  }
  table_.NewString = &newString;
  table_.NewStringUTF = &newStringUtf;
  table_.GetStringLength = &getStringLength;
  table_.GetStringChars = &getStringChars;
  table_.ReleaseStringChars = &releaseStringChars;
  functions = &table_;
}

jstring FakeJniEnv::newJavaString(std::u16string_view text) {
  return adopt(std::u16string(text));
}

const std::u16string* FakeJniEnv::textOf(jobject object) const {
  for (const std::u16string& text : strings_) {
    if (reinterpret_cast<jobject>(const_cast<std::u16string*>(&text)) == object) return &text;
  }
  return nullptr;
}

std::u16string& FakeJniEnv::stringOf(jstring text) {
  const std::u16string* found = textOf(text);
  if (found == nullptr) stop("the library passed a reference that is not a string", "");
  return *const_cast<std::u16string*>(found);
}

jstring FakeJniEnv::adopt(std::u16string text) {
  strings_.push_back(std::move(text));
  return reinterpret_cast<jstring>(&strings_.back());
}

jstring JNICALL FakeJniEnv::newString(JNIEnv* env, const jchar* units, jsize length) {
  FakeJniEnv& self = of(env);
  ++self.calls_;
  if (length < 0 || (units == nullptr && length > 0)) stop("NewString with no characters", "");
  return self.adopt(std::u16string(reinterpret_cast<const char16_t*>(units), length));
}

jstring JNICALL FakeJniEnv::newStringUtf(JNIEnv* env, const char* bytes) {
  FakeJniEnv& self = of(env);
  ++self.calls_;
  if (bytes == nullptr) stop("NewStringUTF with no bytes", "");
  return self.adopt(fromModifiedUtf8(bytes));
}

jsize JNICALL FakeJniEnv::getStringLength(JNIEnv* env, jstring text) {
  FakeJniEnv& self = of(env);
  ++self.calls_;
  return static_cast<jsize>(self.stringOf(text).size());
}

const jchar* JNICALL FakeJniEnv::getStringChars(JNIEnv* env, jstring text, jboolean* isCopy) {
  FakeJniEnv& self = of(env);
  ++self.calls_;
  const std::u16string& units = self.stringOf(text);
  ++self.pinned_;
  if (isCopy != nullptr) *isCopy = JNI_FALSE;
  return reinterpret_cast<const jchar*>(units.c_str());
}

void JNICALL FakeJniEnv::releaseStringChars(JNIEnv* env, jstring text, const jchar* chars) {
  FakeJniEnv& self = of(env);
  ++self.calls_;
  if (reinterpret_cast<const jchar*>(self.stringOf(text).c_str()) != chars) {
    stop("ReleaseStringChars with characters of another string", "");
  }
  --self.pinned_;
}

}  // namespace vardelon::wine
