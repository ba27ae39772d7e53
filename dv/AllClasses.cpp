// Makes every class descriptor of the library before main runs, in one fixed
// order, so that the list of all classes is the same in every program and
// every class can be found by name (object streams, values made by class
// name) even when the program names it nowhere. This is the one place that
// knows every class, so it sits at the top of the library, above every layer.
// It is linked into every program that links the library (CMakeLists.txt), so
// its start-up runs even though no code calls it. Setting the environment
// variable DV_CLASS_LIST makes the start-up print the list, newest first, on
// standard error: a way to see which classes a program carries.
#include <cstdio>
#include <cstdlib>

#include "datum/AbsNumber.h"
#include "datum/Binary.h"
#include "datum/DateTime.h"
#include "datum/DateTimeConstraint.h"
#include "datum/Datum.h"
#include "datum/DatumConstraint.h"
#include "datum/Decimal.h"
#include "datum/DecimalConstraint.h"
#include "datum/ExtDatumFile.h"
#include "datum/Interval.h"
#include "datum/IntervalConstraint.h"
#include "datum/Locale.h"
#include "datum/Money.h"
#include "datum/MoneyConstraint.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/NumberConstraint.h"
#include "datum/Text.h"
#include "datum/TextConstraint.h"
#include "object/ArrayOb.h"
#include "object/Class.h"
#include "object/Collection.h"
#include "object/Dictionary.h"
#include "object/Integer.h"
#include "object/Iterator.h"
#include "object/KeySortCltn.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OrderedCltn.h"
#include "object/Range.h"
#include "object/SeqCltn.h"
#include "object/Set.h"
#include "object/SortedCltn.h"
#include "object/String.h"
#include "status/Status.h"
#include "stream/IOBuf.h"
#include "stream/IOBufList.h"
#include "stream/IOBufMgr.h"
#include "table/AbsTable.h"
#include "table/IndexedTable.h"
#include "table/MemArray.h"
#include "table/NameCltn.h"
#include "table/Table.h"

namespace dv {
namespace {

void registerAllClasses() {
  Object::desc();
  Class::desc();
  Nil::desc();
  // Collections and the small value classes they hold.
  Collection::desc();
  Set::desc();
  Dictionary::desc();
  IdentDict::desc();
  IdentSet::desc();
  ArrayOb::desc();
  SeqCltn::desc();
  OrderedCltn::desc();
  SortedCltn::desc();
  KeySortCltn::desc();
  Iterator::desc();
  LookupKey::desc();
  Assoc::desc();
  AssocInt::desc();
  Integer::desc();
  String::desc();
  Range::desc();
  // Statuses.
  Status::desc();
  NullStatus::desc();
  ErrorStatus::desc();
  // Typed values and their settings.
  Locale::desc();
  Datum::desc();
  AbsNumber::desc();
  DatumConstraint::desc();
  AbsNumConstraint::desc();
  Text::desc();
  TextConstraint::desc();
  Number::desc();
  NumberConstraint::desc();
  Decimal::desc();
  DecimalConstraint::desc();
  Money::desc();
  MoneyConstraint::desc();
  DateTime::desc();
  DateTimeConstraint::desc();
  Interval::desc();
  IntervalConstraint::desc();
  Binary::desc();
  ExtDatumFile::desc();
  ExtDatumFileConstraint::desc();
  NilDatum::desc();
  // Tables and their arrays.
  MemArray::desc();
  NameCltn::desc();
  AbsTable::desc();
  Table::desc();
  IndexedTable::desc();
  // The buffers of the value stream.
  IOBuf::desc();
  IOBufIn::desc();
  IOBufList::desc();
  IOBufMgr::desc();

  if (std::getenv("DV_CLASS_LIST") != nullptr) {
    for (const Class* c = Class::first(); c != nullptr; c = c->next()) {
      std::fprintf(stderr, "class %s\n", c->name());
    }
  }
}

[[maybe_unused]] const bool kAllClassesRegistered = (registerAllClasses(), true);

}  // namespace

}  // namespace dv
