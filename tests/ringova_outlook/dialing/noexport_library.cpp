// A shared library without GetBestMatching, for the matcher's missing-export path.
extern "C" int KestrixSomethingElse() {
  return 1;
}
