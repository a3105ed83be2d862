// Matrix throughput: reading and writing a matrix of doubles through the
// exports, and the bare Invoke of the same members, each against one memcpy
// of the matrix's bytes in the same run. The server deep-copies every value
// it hands out or keeps, so the bare Invoke alone already costs about one
// copy; what the exports add on top of it is the library's conversion.
#include <string>

#include "benchmarks.h"
#include "jvm.h"
#include "link/holders.h"
#include "pair.h"
#include "server_sides.h"
#include "simulator.h"
#include "values.h"

namespace vardelon::bench {
namespace {

using vardelon::testing::jniEnv;

constexpr Shape kShapes[] = {{100, 100}, {1000, 1000}, {10000, 10}};

std::size_t bytesOf(Shape shape) {
  return static_cast<std::size_t>(shape.rows) * static_cast<std::size_t>(shape.columns) *
         sizeof(double);
}

auto memcpyOf(Shape shape) {
  return [shape](benchmark::State& state) { measureMemcpy(state, bytesOf(shape)); };
}

void registerReads(const Simulator& simulator, Shape shape) {
  const std::u16string name = matrixVariableName("Read", shape);
  registerPair(
      "variableValue/R8 " + shapeName(shape) + " vs memcpy",
      [&simulator, shape, name](benchmark::State& state) {
        if (!serveMatrix(state, simulator, kMatrixInstance, name.c_str(), shape)) return;
        measureVariableValue(state, kMatrixInstance, name.c_str());
      },
      memcpyOf(shape));
  registerPair(
      "Invoke GetVariableValueByName/R8 " + shapeName(shape) + " vs memcpy",
      [&simulator, shape, name](benchmark::State& state) {
        if (!serveMatrix(state, simulator, kMatrixInstance, name.c_str(), shape)) return;
        measureBareGet(state, simulator, kMatrixInstance, name.c_str());
      },
      memcpyOf(shape));
}

void registerWrites(const Simulator& simulator, Shape shape) {
  const std::u16string name = matrixVariableName("Written", shape);
  registerPair(
      "setVariableValue/R8 " + shapeName(shape) + " vs memcpy",
      [&simulator, shape, name](benchmark::State& state) {
        JNIEnv* env = jniEnv();
        const LocalFrame setup(env);
        measureSetVariableValue(state, simulator, kMatrixInstance, name.c_str(),
                                newJavaMatrix(env, VT_R8, shape), VT_ARRAY | VT_R8);
      },
      memcpyOf(shape));
  registerPair(
      "Invoke SetVariableValueByName/R8 " + shapeName(shape) + " vs memcpy",
      [&simulator, shape, name](benchmark::State& state) {
        unique_variant matrix(newMatrixVariant(VT_R8, shape));
        measureBareSet(state, simulator, kMatrixInstance, name.c_str(), *matrix);
      },
      memcpyOf(shape));
}

}  // namespace

void registerThroughputBenchmarks(const Simulator& simulator) {
  for (const Shape shape : kShapes) {
    registerReads(simulator, shape);
    registerWrites(simulator, shape);
  }
}

}  // namespace vardelon::bench
