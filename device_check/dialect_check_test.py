#!/usr/bin/env python3
"""The dialect check's rules, one row each: a planted snippet the check must
report under the rule (for the list of known constructs, `unlisted` and what
it names), and the sound form it must pass without a finding.

    dialect_check_test.py [--libclang SO] -- CLANG-ARGS...
"""

import argparse
import os
import sys
import tempfile

import dialect_check


# (rule, planted, sound)
CASES = [
    ("for-scope",
     "void f() {\n  for (int i = 0; i < 2; ++i) {}\n  for (int i = 0; i < 2; ++i) {}\n}\n",
     "void f() {\n  for (int i = 0; i < 2; ++i) {}\n  for (int j = 0; j < 2; ++j) {}\n}\n"),
    ("for-scope",
     "int f() {\n  for (int i = 0; i < 2; ++i) {}\n  int i = 3;\n  return i;\n}\n",
     "int f() {\n  {\n    for (int i = 0; i < 2; ++i) {}\n  }\n  int i = 3;\n  return i;\n}\n"),
    ("for-scope",
     "void f(int n) {\n  switch (n) {\n    case 0:\n      for (int i = 0; i < 2; ++i) {}\n"
     "      break;\n    default:\n      for (int i = 0; i < 2; ++i) {}\n  }\n}\n",
     "void f(int n) {\n  switch (n) {\n    case 0:\n      for (int i = 0; i < 2; ++i) {}\n"
     "      break;\n    default:\n      for (int k = 0; k < 2; ++k) {}\n  }\n}\n"),
    ("for-scope",
     "int f(int i) {\n  for (int i = 0; i < 2; ++i) {}\n  return i;\n}\n",
     "int f(int n) {\n  for (int i = 0; i < 2; ++i) {}\n  return n;\n}\n"),
    ("std-c-name",
     "#include <cstring>\nvoid f(char* p) { std::memset(p, 0, 1); }\n",
     "#include <string.h>\nvoid f(char* p) { memset(p, 0, 1); }\n"),
    ("std-c-name",
     "#include <string>\nstd::size_t n(const std::string& s) { return s.size(); }\n",
     "#include <stddef.h>\n#include <string>\nsize_t n(const std::string& s) { return s.size(); }\n"),
    ("library-header",
     "#include <cstdio>\nint f() { return EOF; }\n",
     "#include <stdio.h>\nint f() { return EOF; }\n"),
    ("library-header",
     "#include <deque>\nstd::deque<int> kept;\n",
     "#include <vector>\nstd::vector<int> kept;\n"),
    ("static-member-initializer",
     "struct S {\n  static const int k = 3;\n};\n",
     "struct S {\n  enum { k = 3 };\n  static const int m;\n};\nconst int S::m = 3;\n"),
    ("function-template-default",
     "template <typename T, int N = 2>\nT twice(T v) {\n  return v * N;\n}\n",
     "template <typename T>\nT twice(T v) {\n  return v * 2;\n}\n"),
    ("explicit-template-arguments",
     "template <typename T>\nT make(int v) {\n  return static_cast<T>(v);\n}\n"
     "long f() { return make<long>(1); }\n",
     "template <typename T>\nT make(int v, T) {\n  return static_cast<T>(v);\n}\n"
     "long f() { return make(1, 0L); }\n"),
    ("partial-specialization",
     "template <typename T, typename U>\nstruct P {};\ntemplate <typename T>\nstruct P<T, int> {};\n",
     "struct P {};\nstruct IntP {};\n"),
    ("member-template",
     "struct S {\n  template <typename T>\n  void put(T) {}\n};\n",
     "struct S {\n  void put(int) {}\n};\n"),
    ("void-return",
     "void g() {}\nvoid f() { return g(); }\n",
     "void g() {}\nvoid f() {\n  g();\n  return;\n}\n"),
    ("std-min-max",
     "#include <algorithm>\nint f(int a, int b) { return std::min(a, b); }\n",
     "int f(int a, int b) { return a < b ? a : b; }\n"),
    ("long-long",
     "long long big = 1;\n",
     "__int64 big = 1;\n"),
    ("long-long",
     "unsigned __int64 big = 1ULL;\n",
     "#ifdef POSRELAY_NOT_DEFINED\nlong long big = 1LL;\n#endif\nunsigned __int64 big = 1;\n"),
    ("unsigned-int64-to-double",
     "double f(unsigned __int64 v) { return static_cast<double>(v); }\n",
     "double f(unsigned __int64 v) { return static_cast<double>(static_cast<__int64>(v)); }\n"),
    ("unsigned-int64-to-double",
     "double f(unsigned __int64 v, double scale) { return v * scale; }\n",
     "double f(__int64 v, double scale) { return v * scale; }\n"),
    ("wchar-overload",
     "void put(wchar_t c);\nvoid put(unsigned short c);\n",
     "void put(wchar_t c);\nvoid put(unsigned char c);\n"),
    ("string-member",
     "#include <string>\nvoid f(std::string& s) { s.push_back('a'); }\n",
     "#include <string>\nvoid f(std::string& s) { s += 'a'; }\n"),
    ("string-member",
     "#include <string>\nvoid f(std::wstring& s) { s.clear(); }\n",
     "#include <string>\n#include <vector>\n"
     "void f(std::wstring& s, std::vector<int>& v) {\n  s.erase();\n  v.clear();\n}\n"),
    # What no row of the list of known constructs covers.
    ("unlisted: an override whose return type differs",
     "struct Shape {\n  virtual Shape* Clone();\n};\n"
     "struct Square : Shape {\n  virtual Square* Clone();\n};\n",
     "struct Shape {\n  virtual Shape* Clone();\n};\n"
     "struct Square : Shape {\n  virtual Shape* Clone();\n};\n"),
    ("unlisted: template template parameter",
     "template <template <typename> class C>\nint Count(C<int>*) {\n  return 0;\n}\n",
     "template <typename C>\nint Count(C*) {\n  return 0;\n}\n"),
    ("unlisted: template non type parameter",
     "template <typename T, T step>\nT Advance(T v) {\n  return v + step;\n}\n",
     "template <typename T>\nT Advance(T v, T step) {\n  return v + step;\n}\n"),
    ("unlisted: 'Pair' initialised by braces with a member that is not public",
     "struct Pair {\n  int a;\n  int b;\n\n private:\n  int Sum() const;\n};\n"
     "Pair kPair = {1, 2};\n",
     "struct Pair {\n  int a;\n  int b;\n  int Sum() const;\n};\nPair kPair = {1, 2};\n"),
    ("unlisted: a friend template",
     "class Box {\n  template <typename T>\n  friend void Open(T);\n  int hidden_;\n};\n",
     "class Box {\n  friend class Opener;\n  int hidden_;\n};\n"),
    ("unlisted: an explicit specialisation",
     "struct Sink {\n  template <typename T>\n  void Put(T) {}\n};\n"
     "template <>\nvoid Sink::Put<int>(int) {}\n",
     "struct Sink {\n  void Put(int) {}\n  void Put(long) {}\n};\n"),
    ("unlisted: explicit template arguments",
     "template <typename T>\nT Twice(T v) {\n  return v + v;\n}\n"
     "long f() { return Twice<long>(2L); }\n",
     "template <typename T>\nT Twice(T v) {\n  return v + v;\n}\n"
     "long f() { return Twice(2L); }\n"),
    ("unlisted: class template",
     "template <typename T>\nstruct Box {\n  T value;\n};\nBox<int> box;\n",
     "struct Box {\n  int value;\n};\nBox box;\n"),
    ("unlisted: a virtual base",
     "struct Base {};\nstruct Derived : virtual Base {};\n",
     "struct Base {};\nstruct Derived : Base {};\n"),
    ("unlisted: new expression",
     "int* Make() { return new int(1); }\n",
     "int Make() { return 1; }\n"),
    # A file the parser cannot read is a finding, never a pass.
    ("parse",
     "int f() { return undeclared; }\n",
     "int f() { return 0; }\n"),
]


def findings_of(checker, folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w") as source:
        source.write(text)
    checker.findings = dialect_check.Findings(checker.root)
    checker.check_file(path)
    return checker.findings.sorted()


def main(argv):
    split = argv.index("--") if "--" in argv else len(argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--libclang", default=dialect_check.DEFAULT_LIBCLANG)
    options = parser.parse_args(argv[:split])
    clang_args = argv[split + 1:]
    failures = 0
    with tempfile.TemporaryDirectory(prefix="dialect_rules") as folder:
        checker = dialect_check.Checker(folder, clang_args, options.libclang)
        for number, (rule, planted, sound) in enumerate(CASES):
            reported = findings_of(checker, folder, "planted%d.cpp" % number, planted)
            if not any((": %s" % rule) in line for line in reported):
                failures += 1
                print("case %d: %s not reported in:\n%s%s" % (number, rule, planted, reported))
            passed = findings_of(checker, folder, "sound%d.cpp" % number, sound)
            if passed:
                failures += 1
                print("case %d: the sound form of %s was reported:\n%s%s"
                      % (number, rule, sound, passed))
        # The command's answer: 1 with a finding, 0 without.
        planted = os.path.join(folder, "planted0.cpp")
        sound = os.path.join(folder, "sound0.cpp")
        for path, expected in ((planted, 1), (sound, 0)):
            own = ["--root", folder, "--libclang", options.libclang, path, "--"]
            status = dialect_check.main(own + clang_args)
            if status != expected:
                failures += 1
                print("%s: exit status %d, expected %d" % (path, status, expected))
    print("%d cases, %d failures" % (len(CASES), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
