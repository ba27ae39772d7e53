// SeqCltn: the abstract collection whose elements have positions 0..size()-1.
// Sequences compare element by element, and iterate in position order.
#ifndef DV_OBJECT_SEQCLTN_H_
#define DV_OBJECT_SEQCLTN_H_

#include <cstdint>

#include "object/Collection.h"

namespace dv {

class SeqCltn : public Collection {
  DV_CLASS_MEMBERS()

 public:
  // The element at position i; reports [INDEXRANGE] for i outside 0 to size() - 1.
  virtual Object* at(int32_t i) const = 0;
  // The first position whose element isEqual ob, or -1.
  virtual int32_t indexOf(const Object& ob) const;

  Object* iterNext(Iterator& it) const override;
  uint32_t occurrencesOf(const Object& ob) const override;

  // Walks both sequences in step: the first non-zero element comparison, or
  // -1/1 when one ends first. Reports [BADARGCLM] when other is no SeqCltn.
  int compare(const Object& other) const override;
  // Same size and pairwise isEqual elements. Reports [BADARGCLM] (and answers
  // false) when other is no SeqCltn.
  bool isEqual(const Object& other) const override;

 protected:
  SeqCltn() = default;
  explicit SeqCltn(OIOin& stream) : Collection(stream) {}
  SeqCltn(const SeqCltn&) = default;
  SeqCltn& operator=(const SeqCltn&) = default;
};

}  // namespace dv

#endif  // DV_OBJECT_SEQCLTN_H_
