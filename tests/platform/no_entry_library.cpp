// A loadable library that is not an in-process server: it lacks
// DllGetClassObject.
extern "C" int NotAClassServer() {
  return 0;
}
