dvsql links the whole value library: its class descriptors are made before
main runs. DV_CLASS_LIST makes the library's start-up list them, newest first.
=== args
=== env
DV_CLASS_LIST=1
=== stderr
class IOBufMgr
class IOBufList
class IOBufIn
class IOBuf
class IndexedTable
class Table
class AbsTable
class NameCltn
class MemArray
class NilDatum
class ExtDatumFileConstraint
class ExtDatumFile
class Binary
class IntervalConstraint
class Interval
class DateTimeConstraint
class DateTime
class MoneyConstraint
class Money
class DecimalConstraint
class Decimal
class NumberConstraint
class Number
class TextConstraint
class Text
class AbsNumConstraint
class DatumConstraint
class AbsNumber
class Datum
class Locale
class ErrorStatus
class NullStatus
class Status
class Range
class String
class AssocInt
class Integer
class Assoc
class LookupKey
class Iterator
class KeySortCltn
class SortedCltn
class OrderedCltn
class SeqCltn
class IdentSet
class IdentDict
class Dictionary
class Set
class ArrayOb
class Collection
class Nil
class Class
class Object
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
