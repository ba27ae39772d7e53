// ExtDatumFile: a value that stands for an external file by its path name.
// It is a Text holding the path that reports itself as external, so that
// constraints hand it on unconverted and it sorts before every other value.
// ExtDatumFileConstraint is the column type of such values: a maximum path
// length.
#ifndef DV_DATUM_EXTDATUMFILE_H_
#define DV_DATUM_EXTDATUMFILE_H_

#include <cstdint>
#include <iosfwd>

#include "datum/DatumConstraint.h"
#include "datum/Text.h"

namespace dv {

class ExtDatumFile : public Text {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(ExtDatumFile)

 public:
  // The identifier text of the class descriptor, in place of Class::kIdent.
  static constexpr const char* kIdent = "ExtDatumFile QRK 920804";

  // No path: a NULL value, as a new Text is.
  ExtDatumFile() = default;
  explicit ExtDatumFile(const char* path) : Text(path) {}
  ExtDatumFile(const ExtDatumFile& other) = default;
  ExtDatumFile& operator=(const ExtDatumFile& other) = default;

  const char* path() const { return chars(); }

  // Datum interface.
  Datum* newEmpty() const override;
  int kind() const override;         // -1000
  bool isExternal() const override;  // true

  // Object interface.
  Object* shallowCopy() const override;
  // Not sent by the value stream under the Text number: a receiver would take
  // the path for plain text.
  int streamTypeNumber() const override;  // -1
  Object* newForStream() const override;  // none
  // "<ExtDatumFile,pathname=" the path ">".
  void printOn(std::ostream& out) const override;
};

// The column type of external-file values: a maximum path length.
class ExtDatumFileConstraint : public DatumConstraint {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(ExtDatumFileConstraint)

 public:
  // A maximum path length of 0 sets no bound.
  ExtDatumFileConstraint() = default;
  explicit ExtDatumFileConstraint(int32_t maxPathLength) : maxPathLength_(maxPathLength) {}
  ExtDatumFileConstraint(const ExtDatumFileConstraint&) = default;
  ExtDatumFileConstraint& operator=(const ExtDatumFileConstraint&) = default;

  int32_t maxPathLength() const { return maxPathLength_; }

  // Constraint interface.
  // 100 against a file constraint with the same bound, 50 with another; 0
  // against any other constraint.
  int16_t similarity(const DatumConstraint& other) const override;
  // The shared nil value for empty text (null or ""); otherwise a new
  // ExtDatumFile for the path. A path longer than a bound that is set is cut
  // to it, with "Text truncated.". Null when it cannot be allocated.
  Datum* newDatum(const char* text, const char* fmt = nullptr) const override;
  uint32_t maxLength() const override;  // the bound

  // Datum interface.
  Datum* newEmpty() const override;
  int typeCode() const override;  // that of the values: Text's 9

  // Object interface.
  Object* shallowCopy() const override;
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;
  // "External File Constraints: maxPathLength=N".
  void printOn(std::ostream& out) const override;

 private:
  int32_t maxPathLength_ = 0;
};

}  // namespace dv

#endif  // DV_DATUM_EXTDATUMFILE_H_
