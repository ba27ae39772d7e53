// Writes the seed corpora and the regression inputs of the object-stream
// fuzz targets, in the text and the binary form:
//
//   corpus/oio_<form>/       valid streams stored by the library itself: one
//                            object of every storable class in the current
//                            version, the same objects grouped by kind in
//                            versions 4 and 3, and a few damaged streams.
//   regressions/oio_<form>/  damaged streams that once broke a reader, forged
//                            record by record with the classes' real
//                            signatures.
//
// Usage: make_corpus DIR          writes the files under DIR (the fuzz folder)
//        make_corpus --check DIR  exit status 1, and the names, when a file
//                                 under DIR differs from what would be written
//                                 (a class whose stored form or signature
//                                 changed); files it does not make are left
//                                 alone in both modes.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "datum/Binary.h"
#include "datum/ExtDatumFile.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "datum/TextConstraint.h"
#include "object/ArrayOb.h"
#include "object/Class.h"
#include "object/Dictionary.h"
#include "object/Integer.h"
#include "object/KeySortCltn.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OIOStreams.h"
#include "object/OrderedCltn.h"
#include "object/Range.h"
#include "object/Registry.h"
#include "object/Set.h"
#include "object/SortedCltn.h"
#include "object/String.h"
#include "status/Status.h"

namespace dv {
namespace {

// Seeds stay small so that the fuzzer mutates them quickly.
constexpr std::size_t kMaxFileSize = 4096;

// The files to write: path under the fuzz folder, and bytes.
using Files = std::map<std::string, std::string>;

const char* formName(bool binary) {
  return binary ? "oio_binary" : "oio_text";
}

std::string store(const Object& ob, bool binary, int32_t version) {
  std::ostringstream bytes;
  if (binary) {
    BinaryOIOout out(bytes, version);
    ob.storeOn(static_cast<OIOoutbin&>(out));
  } else {
    TextOIOout out(bytes, version);
    ob.storeOn(out);
  }
  return bytes.str();
}

// The corpus of both forms: every sample alone in the current version, and
// in versions 4 and 3 the samples of one group as consecutive top-level
// objects of one stream.
class Corpus {
 public:
  explicit Corpus(Files& files) : files_(files) {}

  void add(const std::string& group, const std::string& name, const Object& ob) {
    for (bool binary : {false, true}) {
      files_[path(binary, "v6-" + name)] = store(ob, binary, -1);
      for (int32_t version : {4, 3}) groupStream(binary, version, group).store(ob);
    }
  }

  // Writes the grouped streams into the files.
  void finish() {
    for (auto& [key, stream] : groups_) files_[key] = stream->bytes.str();
    groups_.clear();
  }

  static std::string path(bool binary, const std::string& name) {
    return std::string("corpus/") + formName(binary) + "/" + name;
  }

 private:
  struct Stream {
    Stream(bool binary, int32_t version) {
      if (binary) {
        binaryOut = std::make_unique<BinaryOIOout>(bytes, version);
      } else {
        textOut = std::make_unique<TextOIOout>(bytes, version);
      }
    }
    void store(const Object& ob) {
      if (binaryOut) {
        ob.storeOn(static_cast<OIOoutbin&>(*binaryOut));
      } else {
        ob.storeOn(*textOut);
      }
    }
    std::ostringstream bytes;
    std::unique_ptr<TextOIOout> textOut;
    std::unique_ptr<BinaryOIOout> binaryOut;
  };

  Stream& groupStream(bool binary, int32_t version, const std::string& group) {
    std::string key = path(binary, "v" + std::to_string(version) + "-" + group);
    auto& slot = groups_[key];
    if (!slot) slot = std::make_unique<Stream>(binary, version);
    return *slot;
  }

  Files& files_;
  std::map<std::string, std::unique_ptr<Stream>> groups_;
};

void addValues(Corpus& corpus) {
  Integer negative(-123456);
  corpus.add("values", "integer", negative);
  std::string odd("a b\n{c} @1 ~\xE9\x00z", 13);  // marks of the text form inside a string
  String string(odd.data(), static_cast<int32_t>(odd.size()));
  corpus.add("values", "string", string);
  String empty("");
  corpus.add("values", "string-empty", empty);
  Range range(3, -4);
  corpus.add("values", "range", range);
  String key("key");
  Integer value(9);
  LookupKey bare(key);
  corpus.add("values", "lookupkey", bare);
  Assoc assoc(key, value);
  corpus.add("values", "assoc", assoc);
  AssocInt counter(key, 77);
  corpus.add("values", "assocint", counter);
  corpus.add("values", "nil", *nil());
}

void addCollections(Corpus& corpus) {
  Integer one(1), two(2), three(3);
  String a("a"), b("b");

  Set set;
  set.add(one);
  set.add(a);
  set.add(three);
  corpus.add("collections", "set", set);
  // Two distinct but equal elements: their order, which follows their
  // addresses, does not show in the bytes.
  Integer seven(7), sevenAgain(7);
  IdentSet identities;
  identities.add(seven);
  identities.add(sevenAgain);
  corpus.add("collections", "identset", identities);

  Assoc aOne(a, one), bTwo(b, two);
  Dictionary dictionary;
  dictionary.add(aOne);
  dictionary.add(bTwo);
  corpus.add("collections", "dictionary", dictionary);
  IdentDict byIdentity;
  byIdentity.add(aOne);
  corpus.add("collections", "identdict", byIdentity);

  ArrayOb array(4);
  array[1] = &one;
  array[3] = &a;
  corpus.add("collections", "arrayob", array);
  OrderedCltn ordered;
  ordered.add(two);
  ordered.add(one);
  ordered.add(*nil());
  corpus.add("collections", "orderedcltn", ordered);
  SortedCltn sorted;
  sorted.add(three);
  sorted.add(one);
  sorted.add(two);
  corpus.add("collections", "sortedcltn", sorted);
  KeySortCltn keyed;
  keyed.add(bTwo);
  keyed.add(aOne);
  corpus.add("collections", "keysortcltn", keyed);

  // Collections inside collections inside a dictionary.
  Set letters;
  letters.add(a);
  letters.add(b);
  OrderedCltn list;
  list.add(one);
  list.add(letters);
  ArrayOb pair(2);
  pair[0] = &list;
  pair[1] = &sorted;
  String listKey("list"), pairKey("pair");
  Assoc listEntry(listKey, list), pairEntry(pairKey, pair);
  Dictionary nested;
  nested.add(listEntry);
  nested.add(pairEntry);
  corpus.add("collections", "nested", nested);
}

void addStatuses(Corpus& corpus) {
  Status success;
  corpus.add("statuses", "status", success);
  NullStatus null;
  corpus.add("statuses", "nullstatus", null);
  ErrorStatus error(0x40140016u, false, "OIO", "versions incompatible.", 17, false);
  corpus.add("statuses", "errorstatus", error);
  ErrorStatus generated(0x701C0002u, true, nullptr, nullptr, 0, false);  // generated message
  corpus.add("statuses", "errorstatus-generated", generated);
}

void addDatums(Corpus& corpus) {
  Text text("forty two");
  corpus.add("datums", "text", text);
  Text nullText;
  corpus.add("datums", "text-null", nullText);
  ErrorStatus problem(0x40140002u, false, "DATUM", "Text truncated.", 0, false);
  Text flagged("cut");
  flagged.setStatus(problem);
  corpus.add("datums", "text-error-status", flagged);
  TextConstraint constraint(40);
  corpus.add("datums", "textconstraint", constraint);
  const unsigned char bytes[] = {0x00, 0x7F, 0x80, 0xFF, 0x41};  // a last, partial word
  Binary binary(bytes, sizeof bytes, true);
  corpus.add("datums", "binary", binary);
  ExtDatumFile file("/var/data/report.pdf");
  corpus.add("datums", "extdatumfile", file);
  ExtDatumFileConstraint fileConstraint(255);
  corpus.add("datums", "extdatumfileconstraint", fileConstraint);
  NilDatum nilDatum;
  corpus.add("datums", "nildatum", nilDatum);
}

void addGraphs(Corpus& corpus) {
  Integer shared(5);
  OrderedCltn inner;
  inner.add(shared);
  OrderedCltn outer;
  outer.add(inner);
  outer.add(shared);
  outer.add(inner);
  corpus.add("graphs", "shared-references", outer);

  OrderedCltn loop;
  loop.add(shared);
  loop.add(loop);
  corpus.add("graphs", "cycle", loop);

  ErrorStatus status(0x40140003u, true, "DATUM", "Value out of range.", 3, false);
  Text first("first"), second("second");
  first.setStatus(status);
  second.setStatus(status);
  const unsigned char raw[] = {1, 2, 3};
  Binary data(raw, sizeof raw, true);
  data.setStatus(status);
  Text nullOne, nullTwo;  // both hold the shared null status
  OrderedCltn values;
  values.add(first);
  values.add(second);
  values.add(data);
  values.add(nullOne);
  values.add(nullTwo);
  corpus.add("graphs", "shared-statuses", values);
}

// A stream written field by field, in either form, for input that the
// library's own storers never make.
class Forge {
 public:
  explicit Forge(bool binary, int32_t format = kOIOFormatNew, int32_t version = kOIOCurrentVersion)
      : binary_(binary) {
    i32(format);
    if (format == kOIOFormatNew) i32(version);
    if (!binary_) bytes_ += '\n';
  }

  Forge& record(const Class& c) { return record(c.name(), c.signature()); }
  Forge& record(const char* name, uint32_t signature) {
    if (binary_) {
      bytes_ += 'O';
      i32(static_cast<int32_t>(std::strlen(name)));
      bytes_ += name;
      return u32(signature);
    }
    bytes_ += std::string("{") + name + " ";
    return u32(signature);
  }
  Forge& end() {
    bytes_ += binary_ ? "E" : "} ";
    return *this;
  }
  Forge& reference(int32_t n) {
    if (binary_) {
      bytes_ += 'R';
      return i32(n);
    }
    bytes_ += "@" + std::to_string(n) + " ";
    return *this;
  }
  Forge& nilMark() {
    bytes_ += binary_ ? "N" : "~ ";
    return *this;
  }
  Forge& i32(int32_t v) { return word(static_cast<uint32_t>(v), std::to_string(v)); }
  Forge& u32(uint32_t v) { return word(v, std::to_string(v)); }
  // Characters go raw in both forms.
  Forge& chars(const std::string& s) {
    bytes_ += s;
    return *this;
  }

  const std::string& bytes() const { return bytes_; }

 private:
  Forge& word(uint32_t bits, const std::string& decimal) {
    if (binary_) {
      for (int shift = 24; shift >= 0; shift -= 8) {
        bytes_ += static_cast<char>((bits >> shift) & 0xFF);
      }
    } else {
      bytes_ += decimal + " ";
    }
    return *this;
  }

  bool binary_;
  std::string bytes_;
};

// The damaged seeds of the corpus, made from stored streams or forged.
void addDamaged(Files& files) {
  for (bool binary : {false, true}) {
    Integer one(1);
    Text text("damaged");
    OrderedCltn c;
    c.add(one);
    c.add(text);
    std::string whole = store(c, binary, -1);
    files[Corpus::path(binary, "damaged-truncated")] = whole.substr(0, whole.size() * 2 / 3);

    files[Corpus::path(binary, "damaged-huge-count")] = Forge(binary)
                                                            .record(OrderedCltn::desc())
                                                            .i32(1000000)
                                                            .record(Integer::desc())
                                                            .i32(1)
                                                            .end()
                                                            .end()
                                                            .bytes();
    files[Corpus::path(binary, "damaged-bad-reference")] = Forge(binary)
                                                               .record(OrderedCltn::desc())
                                                               .i32(2)
                                                               .record(Integer::desc())
                                                               .i32(1)
                                                               .end()
                                                               .reference(5)
                                                               .end()
                                                               .bytes();
    files[Corpus::path(binary, "damaged-unknown-class")] =
        Forge(binary).record("Integex", Integer::desc().signature()).i32(1).end().bytes();
    files[Corpus::path(binary, "damaged-changed-signature")] =
        Forge(binary).record("Integer", Integer::desc().signature() ^ 1u).i32(1).end().bytes();
  }
}

// Inputs of a bug report on the readers, one file each, named after what
// they do.
void addRegressions(Files& files) {
  for (bool binary : {false, true}) {
    auto add = [&](const std::string& name, const Forge& forge) {
      files[std::string("regressions/") + formName(binary) + "/" + name] = forge.bytes();
    };
    add("texts-share-a-status", Forge(binary)
                                    .record(OrderedCltn::desc())
                                    .i32(2)
                                    .record(Text::desc())
                                    .record(Status::desc())
                                    .end()
                                    .i32(1)
                                    .chars("x")
                                    .end()
                                    .record(Text::desc())
                                    .reference(2)
                                    .i32(1)
                                    .chars("y")
                                    .end()
                                    .end());
    add("null-texts-share-a-null-status", Forge(binary)
                                              .record(OrderedCltn::desc())
                                              .i32(2)
                                              .record(Text::desc())
                                              .record(NullStatus::desc())
                                              .end()
                                              .i32(0)
                                              .end()
                                              .record(Text::desc())
                                              .reference(2)
                                              .i32(0)
                                              .end()
                                              .end());
    add("set-count-600000000", Forge(binary).record(Set::desc()).i32(600000000).end());
    add("string-length-2147483647-cut-short",
        Forge(binary).record(String::desc()).i32(2147483647).chars("x"));
    add("text-status-is-a-set-holding-the-text", Forge(binary)
                                                     .record(Text::desc())
                                                     .record(Set::desc())
                                                     .i32(1)
                                                     .reference(0)
                                                     .end()
                                                     .i32(0)
                                                     .end());
    add("dictionary-holds-an-integer",
        Forge(binary).record(Dictionary::desc()).i32(1).record(Integer::desc()).i32(1).end().end());
    add("set-holds-itself", Forge(binary)
                                .record(Set::desc())
                                .i32(1)
                                .record(Set::desc())
                                .i32(1)
                                .reference(0)
                                .end()
                                .end());
    add("identdict-size-268435456", Forge(binary).record(IdentDict::desc()).i32(268435456).end());
    add("binary-capacity-4294967295-no-data", Forge(binary)
                                                  .record(Binary::desc())
                                                  .record(Status::desc())
                                                  .end()
                                                  .u32(4294967295u)
                                                  .u32(0)
                                                  .i32(1)
                                                  .end());
    add("errorstatus-facility-length-2147483647", Forge(binary)
                                                      .record(ErrorStatus::desc())
                                                      .u32(0x40140016u)
                                                      .i32(0)
                                                      .i32(0)
                                                      .i32(2147483647)
                                                      .chars("DATUM")
                                                      .end());
    add("errorstatus-message-length-2147483647", Forge(binary)
                                                     .record(ErrorStatus::desc())
                                                     .u32(0x40140016u)
                                                     .i32(0)
                                                     .i32(0)
                                                     .i32(5)
                                                     .chars("DATUM")
                                                     .i32(2147483647)
                                                     .chars("x")
                                                     .end());
    add("orderedcltn-count-2000000000",
        Forge(binary).record(OrderedCltn::desc()).i32(2000000000).end());
    add("arrayob-count-2000000000", Forge(binary).record(ArrayOb::desc()).i32(2000000000).end());
  }
}

Files allFiles() {
  buildRegistry();  // the signatures
  Files files;
  Corpus corpus(files);
  addValues(corpus);
  addCollections(corpus);
  addStatuses(corpus);
  addDatums(corpus);
  addGraphs(corpus);
  corpus.finish();
  addDamaged(files);
  addRegressions(files);
  return files;
}

std::string readFile(const std::filesystem::path& p, bool* found) {
  std::ifstream in(p, std::ios::binary);
  *found = static_cast<bool>(in);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int run(int argc, char** argv) {
  bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (!(argc == 2 && argv[1][0] != '-') && !check) {
    std::fprintf(stderr, "usage: make_corpus [--check] FUZZ_DIR\n");
    return 2;
  }
  std::filesystem::path root(argv[argc - 1]);
  Files files = allFiles();
  int status = 0;
  for (const auto& [name, bytes] : files) {
    if (bytes.size() >= kMaxFileSize) {
      std::fprintf(stderr, "make_corpus: %s is %zu bytes, seeds stay below %zu\n", name.c_str(),
                   bytes.size(), kMaxFileSize);
      return 1;
    }
    std::filesystem::path p = root / name;
    if (check) {
      bool found = false;
      if (readFile(p, &found) != bytes || !found) {
        std::printf("%s: %s\n", found ? "differs" : "missing", p.c_str());
        status = 1;
      }
      continue;
    }
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "make_corpus: cannot write %s\n", p.c_str());
      return 1;
    }
  }
  if (check && status != 0) {
    std::printf("regenerate with: make_corpus %s\n", root.c_str());
  }
  return status;
}

}  // namespace
}  // namespace dv

int main(int argc, char** argv) {
  return dv::run(argc, argv);
}
