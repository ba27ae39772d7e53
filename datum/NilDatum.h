// NilDatum: the class of the one shared nil value, which constraints hand out
// for empty input and tables hold in empty cells. It is always NULL.
#ifndef DV_DATUM_NILDATUM_H_
#define DV_DATUM_NILDATUM_H_

#include "datum/Datum.h"

namespace dv {

// The type code of the nil value (it stores nothing).
inline constexpr int kTypeNil = 0;

class NilDatum : public Datum {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(NilDatum)

 public:
  // Text form of the nil value and of a nil value carrying "NULL value".
  static constexpr const char* kText = "<nil>";
  static constexpr const char* kNullText = "<NULL>";

  NilDatum();
  NilDatum(const NilDatum&) = default;

  Datum* newEmpty() const override;
  int typeCode() const override;
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;  // 6
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;  // "<nil>"
  // False when either side carries the "NULL value" status; otherwise the
  // order of the kinds.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;
  bool isNull() const override;  // always

  Object* shallowCopy() const override;
  // compareKind; two nil values are equal.
  int compare(const Object& other) const override;
  uint32_t hash() const override;  // 0
  // "<NULL>" with the "NULL value" status, else "<nil>".
  void printOn(std::ostream& out) const override;
  // Empty cells travel in the value stream too: the nil value streams
  // under its own number, as the end tag alone, and reads back as the
  // shared nil value (defined with the stream).
  static constexpr int kStreamTypeNumber = 7;
  int streamTypeNumber() const override;  // 7
  Object* newForStream() const override;  // the shared nil value
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;
};

// The shared nil value, built before main runs (count -1).
NilDatum* nilDatum();

}  // namespace dv

#endif  // DV_DATUM_NILDATUM_H_
