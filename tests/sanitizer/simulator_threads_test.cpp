// Several threads calling the simulator at once, as Java threads call the
// library's one connection: one server object's Invoke from eight threads,
// and eight threads creating objects of the class at the same moment. Every
// call must stay whole and every thread must read back what it wrote. The
// tsan preset runs this under ThreadSanitizer, which also sees the automation
// layer's allocations, counts and apartments from all threads.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "leak_checked_test.h"
#include "link/holders.h"
#include "platform/automation.h"
#include "threads_together.h"
#include "variant_builders.h"
#include "variant_text.h"

namespace vardelon::testing {
namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 300;

// One simulator object, called by member name with arguments in the
// member's order.
class Server {
 public:
  explicit Server(IDispatch* dispatch) : dispatch_(dispatch) {}

  static unique_com<IDispatch> create() {
    CLSID classId{};
    void* created = nullptr;
    if (FAILED(CLSIDFromProgID(OLESTR("Vardelon.Application"), &classId)) ||
        FAILED(CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch, &created))) {
      return unique_com<IDispatch>();
    }
    return unique_com<IDispatch>(static_cast<IDispatch*>(created));
  }

  // The result as variantText writes it, or the failure's code.
  std::string call(const char16_t* member, std::vector<VARIANT> arguments) const {
    auto* name = const_cast<LPOLESTR>(member);
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id);
    std::vector<VARIANT> lastFirst(arguments.rbegin(), arguments.rend());
    DISPPARAMS parameters{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
    const WORD flags =
        std::u16string_view(member) == u"Version" ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    unique_variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    if (SUCCEEDED(hr)) {
      hr = dispatch_->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &parameters, result.get(),
                             &exception, &argumentError);
    }
    for (VARIANT& argument : arguments) VariantClear(&argument);
    if (FAILED(hr)) return "failed " + std::to_string(static_cast<unsigned long>(hr));
    return variantText(*result.get());
  }

 private:
  IDispatch* dispatch_;
};

// A vector of numbers by reference, as the library passes one: the holder
// lives in the caller's frame.
struct NumbersArgument {
  explicit NumbersArgument(std::initializer_list<LONG> numbers) {
    SAFEARRAY* vector = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(numbers.size()));
    LONG index = 0;
    for (LONG number : numbers) {
      SafeArrayPutElement(vector, &index, &number);
      ++index;
    }
    V_VT(holder.get()) = VT_ARRAY | VT_I4;
    V_ARRAY(holder.get()) = vector;
  }
  VARIANT argument() {
    VARIANT reference = variantOf(VT_BYREF | VT_VARIANT);
    V_VARIANTREF(&reference) = holder.get();
    return reference;
  }
  unique_variant holder;
};

std::u16string u16(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// A thread in the multithreaded apartment for as long as it runs.
struct MultithreadedApartment {
  MultithreadedApartment() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  MultithreadedApartment(const MultithreadedApartment&) = delete;
  MultithreadedApartment& operator=(const MultithreadedApartment&) = delete;
  ~MultithreadedApartment() { CoUninitialize(); }
};

// Runs `body(thread)` on kThreads threads at once, each in the
// multithreaded apartment, and gives back what each reported wrong.
template <typename Body>
std::vector<std::string> onThreads(Body body) {
  return runTogether<MultithreadedApartment>(
      kThreads, [&](MultithreadedApartment&, int thread) { return body(thread); });
}

class SimulatorThreadsTest : public LeakCheckedTest {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    LeakCheckedTest::SetUp();
    server_.reset(Server::create().release());
    ASSERT_TRUE(server_) << "AUTOMATION_REGISTRY must name the simulator's registration";
  }
  void TearDown() override {
    server_.reset();
    LeakCheckedTest::TearDown();
    CoUninitialize();
  }

  Server server() const { return Server(server_.get()); }

 private:
  unique_com<IDispatch> server_;
};

TEST_F(SimulatorThreadsTest, ThreadsCallingOneObjectEachReadBackTheirOwnWrites) {
  const std::vector<std::string> faults = onThreads([this](int thread) -> std::string {
    const Server shared = server();
    const LONG instance = 100 + thread;
    for (int round = 0; round < kRounds; ++round) {
      const std::string label = std::to_string(thread) + ":" + std::to_string(round);
      const std::string script =
          "set " + std::to_string(instance) + " Script " + std::to_string(round);
      NumbersArgument both{0, 1};
      const std::string seen[][2] = {
          {shared.call(u"SetVariableValueByName",
                       {i4VariantOf(instance), bstrVariantOf(u"Counter"), i4VariantOf(round)}),
           "EMPTY"},
          {shared.call(u"SetVariableValueByName",
                       {i4VariantOf(instance), bstrVariantOf(u"Label"), bstrVariantOf(u16(label))}),
           "EMPTY"},
          {shared.call(u"Execute", {bstrVariantOf(u16(script))}), "EMPTY"},
          {shared.call(u"GetVariableValueByName",
                       {i4VariantOf(instance), bstrVariantOf(u"Counter")}),
           "I4 " + std::to_string(round)},
          {shared.call(u"GetVariableValues", {i4VariantOf(instance), both.argument()}),
           "ARRAY VARIANT [0:2] {I4 " + std::to_string(round) + ", BSTR " + quotedText(u16(label)) +
               "}"},
          {shared.call(u"GetVariableNames", {i4VariantOf(instance)}),
           R"(ARRAY BSTR [0:3] {"Counter", "Label", "Script"})"},
          {shared.call(u"GetVariableValueByName",
                       {i4VariantOf(instance), bstrVariantOf(u"Script")}),
           "I4 " + std::to_string(round)},
          {shared.call(u"GetUVOVariableValueByName", {bstrVariantOf(u"Solver")}),
           R"(BSTR "euler")"},
          {shared.call(u"Version", {}), R"(BSTR "Vardelon Simulator 1.0")"},
      };
      for (const auto& [actual, expected] : seen) {
        if (actual != expected) return label + ": " + actual + " instead of " + expected;
      }
    }
    return "";
  });
  EXPECT_EQ(faults, std::vector<std::string>(kThreads));
}

// Objects made at the same moment serve one application: what each thread
// writes through its own object, the others read through theirs.
TEST_F(SimulatorThreadsTest, ObjectsCreatedAtOnceShareOneApplication) {
  std::atomic<int> written = 0;
  const std::vector<std::string> faults = onThreads([&written](int thread) -> std::string {
    unique_com<IDispatch> own = Server::create();
    if (!own) return "no object";
    const Server server(own.get());
    const std::string mark = "uvo Thread" + std::to_string(thread) + " " + std::to_string(thread);
    if (server.call(u"Execute", {bstrVariantOf(u16(mark))}) != "EMPTY") return "execute failed";
    ++written;
    while (written < kThreads) std::this_thread::yield();
    for (int other = 0; other < kThreads; ++other) {
      const std::string seen = server.call(u"GetUVOVariableValueByName",
                                           {bstrVariantOf(u16("Thread" + std::to_string(other)))});
      if (seen != "I4 " + std::to_string(other))
        return "Thread" + std::to_string(other) + ": " + seen;
    }
    return "";
  });
  EXPECT_EQ(faults, std::vector<std::string>(kThreads));
  EXPECT_EQ(server().call(u"GetUVOVariableValueByName", {bstrVariantOf(u"Thread7")}), "I4 7");
}

}  // namespace
}  // namespace vardelon::testing
