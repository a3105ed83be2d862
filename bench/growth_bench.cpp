// Cost growth: reading and writing a value of doubles through the exports at
// every decade from 1 to 10^7 elements, as a one-dimensional value (one row,
// which is what a Java double[] travels as) and as a matrix as square as
// the decade allows, next to one memcpy of the same bytes. Linear cost shows
// as a time per element that stays flat once the fixed cost of a call is
// spread out.
#include <cstdint>
#include <string>

#include "benchmarks.h"
#include "growth.h"
#include "jvm.h"
#include "local_frame.h"
#include "server_sides.h"
#include "simulator.h"
#include "values.h"

namespace vardelon::bench {
namespace {

using vardelon::testing::jniEnv;

constexpr int kLargestDecade = 7;

struct Decade {
  std::int64_t elements;
  Shape row;     // 1 x elements
  Shape matrix;  // 10^(decade / 2) x 10^(decade - decade / 2)
};

jsize powerOfTen(int exponent) {
  jsize power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

Decade decade(int exponent) {
  const jsize elements = powerOfTen(exponent);
  return {elements, {1, elements}, {powerOfTen(exponent / 2), powerOfTen(exponent - exponent / 2)}};
}

void registerReads(const Simulator& simulator, const std::string& series, Shape shape) {
  const std::u16string name = matrixVariableName("Growth", shape);
  registerGrowth(series, std::int64_t{shape.rows} * shape.columns,
                 [&simulator, shape, name](benchmark::State& state) {
                   if (!serveMatrix(state, simulator, kMatrixInstance, name.c_str(), shape)) {
                     return;
                   }
                   measureVariableValue(state, kMatrixInstance, name.c_str());
                 });
}

template <typename MakeValue>
void registerWrites(const Simulator& simulator, const std::string& series, Shape shape,
                    MakeValue makeValue) {
  registerGrowth(series, std::int64_t{shape.rows} * shape.columns,
                 [&simulator, makeValue](benchmark::State& state) {
                   JNIEnv* env = jniEnv();
                   const LocalFrame setup(env);
                   measureSetVariableValue(state, simulator, kMatrixInstance, OLESTR("Grown"),
                                           makeValue(env), VT_ARRAY | VT_R8);
                 });
}

}  // namespace

void registerGrowthBenchmarks(const Simulator& simulator) {
  for (int exponent = 0; exponent <= kLargestDecade; ++exponent) {
    const Decade sizes = decade(exponent);
    registerGrowth("memcpy", sizes.elements, [sizes](benchmark::State& state) {
      measureMemcpy(state, static_cast<std::size_t>(sizes.elements) * sizeof(double));
    });
    registerReads(simulator, "variableValue 1-D", sizes.row);
    registerReads(simulator, "variableValue 2-D", sizes.matrix);
    registerWrites(simulator, "setVariableValue 1-D", sizes.row,
                   [sizes](JNIEnv* env) { return newJavaRow(env, sizes.row.columns); });
    registerWrites(simulator, "setVariableValue 2-D", sizes.matrix,
                   [sizes](JNIEnv* env) { return newJavaMatrix(env, VT_R8, sizes.matrix); });
  }
}

}  // namespace vardelon::bench
