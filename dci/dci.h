/* The DCI call interface: the binary contract between dvsql and a driver.
 *
 * A driver is a set of 17 ODBC 2-shaped functions with C linkage, and two
 * optional ones (SQLCancel, SQLTables) that a driver may leave out. It is bound
 * by export ordinal: the driver exposes one export table, indexed by ordinal,
 * and the caller takes every function from that table and from nowhere else.
 * The built-in driver is linked into dvsql; a shared library that exports
 * DCI_EXPORT_TABLE_SYMBOL can stand in for it (see dci/Loader.h).
 *
 * Handles are 32-bit signed integers; DCI_NULL_HANDLE (-1) is passed wherever a
 * handle does not exist. Return codes are 16-bit. Lengths count bytes. */
#ifndef DVSQL_DCI_DCI_H_
#define DVSQL_DCI_DCI_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t DciHandle;
typedef int16_t DciReturn;

#define DCI_NULL_HANDLE (-1)

/* Return codes. */
#define SQL_SUCCESS 0
#define SQL_SUCCESS_WITH_INFO 1
#define SQL_NO_DATA_FOUND 100
#define SQL_ERROR (-1)
#define SQL_INVALID_HANDLE (-2)

/* Length conventions. */
#define SQL_NTS (-3)       /* the text is NUL-terminated */
#define SQL_NULL_DATA (-1) /* SQLGetData: the value is NULL */

/* SQLSetConnectOption options. */
#define DCI_1NF_MODE_ON 1002 /* flat first-normal-form results */
#define DCI_EMPTY_NULL 1003  /* empty strings are NULL, written and read */

/* SQLGetInfo information types. */
#define DCI_MAX_COLUMN_NAME_LEN 30 /* 16-bit: longest column name, in characters */

/* SQLColAttributes descriptor types. */
#define SQL_COLUMN_COUNT 0  /* numeric: number of result columns */
#define SQL_COLUMN_NAME 1   /* text: the column's name */
#define DCI_COLUMN_LABEL 19 /* text: the column's label */

/* SQLGetData target types. */
#define SQL_C_CHAR 1

/* SQLFreeStmt options. */
#define SQL_CLOSE 1 /* close the cursor, discard pending results */
#define SQL_DROP 2  /* free the statement handle */

/* Export ordinals. */
#define DCI_ORD_SQLALLOCCONNECT 1
#define DCI_ORD_SQLALLOCENV 2
#define DCI_ORD_SQLALLOCSTMT 3
#define DCI_ORD_SQLCOLATTRIBUTES 9
#define DCI_ORD_SQLCONNECT 11
#define DCI_ORD_SQLDISCONNECT 13
#define DCI_ORD_SQLERROR 14
#define DCI_ORD_SQLEXECDIRECT 15
#define DCI_ORD_SQLFETCH 17
#define DCI_ORD_SQLFREECONNECT 18
#define DCI_ORD_SQLFREEENV 19
#define DCI_ORD_SQLFREESTMT 20
#define DCI_ORD_SQLGETDATA 22
#define DCI_ORD_SQLGETINFO 24
#define DCI_ORD_SQLNUMRESULTCOLS 25
#define DCI_ORD_SQLROWCOUNT 27
#define DCI_ORD_SQLSETCONNECTOPTION 28
/* Optional: a table that lacks them (or is too short to hold them) still binds. */
#define DCI_ORD_SQLCANCEL 29
#define DCI_ORD_SQLTABLES 30
#define DCI_ORD_COUNT 31 /* ordinals run from 1 to DCI_ORD_COUNT - 1 */

/* The function shapes, one per ordinal, each with its contract. What every
 * call shares:
 *
 * - Return codes. SQL_SUCCESS: done. SQL_SUCCESS_WITH_INFO: done, with
 *   warnings queued. SQL_NO_DATA_FOUND: where a call says so. SQL_ERROR: not
 *   done, the reasons queued. SQL_INVALID_HANDLE: the handle argument is not a
 *   live handle of the kind the call takes (never allocated, freed, or of
 *   another kind); nothing is done and nothing is queued, but an output
 *   handle argument is still set to DCI_NULL_HANDLE.
 * - Diagnostics. Each handle has a queue of records (state, native code,
 *   message), read with SQLError. Every call but SQLError and SQLCancel starts
 *   by emptying the queue of the handle it takes, so that the queue tells of
 *   the last call on that handle only. The states named below are the
 *   built-in driver's own (dci/Diagnostics.h); a backend reports the failures
 *   of statements and connections with states of its own and its message.
 * - Buffers. Every pointer argument belongs to the caller: the driver uses it
 *   during the call only and keeps nothing of it. Output arguments described
 *   as "when not null" may be null.
 * - Texts. A length argument is SQL_NTS or a count of bytes; another negative
 *   length is S1090. A text the driver returns is NUL-terminated and, when it
 *   does not fit the buffer, cut at a UTF-8 character boundary with
 *   SQL_SUCCESS_WITH_INFO and 01004; its length in bytes is reported beside
 *   it, as each call says.
 * - Failures inside the driver. No call throws: memory that cannot be had is
 *   SQL_ERROR with S1001, any other internal failure SQL_ERROR with S1000.
 * - Handle states. An environment holds connections. A connection is
 *   allocated, then connected. A statement of a connected connection is
 *   allocated (nothing executed, or closed), executed (without a result set)
 *   or has an open cursor (a result set, even an empty one). */

/* SQLAllocConnect: allocates a connection handle, not connected, in environment
 * henv and stores it in *phdbc; on any failure *phdbc (when phdbc is not null)
 * is DCI_NULL_HANDLE. Errors: S1009 phdbc is null; S1014 no handle is left. */
typedef DciReturn (*SQLAllocConnectFn)(DciHandle henv, DciHandle* phdbc);
/* SQLAllocEnv: allocates an environment handle and stores it in *phenv
 * (DCI_NULL_HANDLE on failure when phenv is not null). Having no handle yet,
 * it reports on the queue that SQLError reads with three null handles.
 * Errors: S1009 phenv is null; S1014 no handle is left. */
typedef DciReturn (*SQLAllocEnvFn)(DciHandle* phenv);
/* SQLAllocStmt: allocates a statement handle on connected connection hdbc and
 * stores it in *phstmt; on any failure *phstmt (when phstmt is not null) is
 * DCI_NULL_HANDLE. Errors: S1009 phstmt is null; 08003 hdbc is not connected;
 * S1014 no handle is left. */
typedef DciReturn (*SQLAllocStmtFn)(DciHandle hdbc, DciHandle* phstmt);
/* SQLColAttributes: describes the result of hstmt, which must be executed or
 * have an open cursor (S1010 otherwise), by fDescType:
 * - SQL_COLUMN_COUNT: *pfDesc (when not null) is the number of result columns,
 *   0 without a result set; the other arguments are not used.
 * - SQL_COLUMN_NAME, DCI_COLUMN_LABEL (the same text in the built-in driver):
 *   the name of column icol (from 1) goes into rgbDesc, a buffer of cbDescMax
 *   bytes, and its full length, at most INT16_MAX, into *pcbDesc (when not
 *   null); pfDesc is not used. A null rgbDesc asks for the length only; a
 *   cbDescMax of 0 holds nothing, which counts as a cut.
 * Errors: S1091 another descriptor type; S1002 icol is not a column of the
 * result; S1090 cbDescMax is negative. */
typedef DciReturn (*SQLColAttributesFn)(DciHandle hstmt, uint16_t icol, uint16_t fDescType,
                                        void* rgbDesc, int16_t cbDescMax, int16_t* pcbDesc,
                                        int32_t* pfDesc);
/* SQLConnect: connects allocated connection hdbc to data source szDSN of
 * account szAccount, with the options set on hdbc so far. Each text ends at
 * its length or at a NUL before it, so the data source may come in a larger
 * NUL-padded buffer. A data source name is letters, digits, '_', '-' and '.',
 * not starting with '.'. The built-in driver takes a postgresql:// or
 * postgres:// URI or key=value conninfo text as a PostgreSQL account (the
 * database is szDSN unless the account names one), and anything else as an
 * SQLite account: ":memory:", or a writable directory whose file "<szDSN>.db"
 * is the data source, created on first use.
 * SQL_SUCCESS_WITH_INFO when the backend warned. Errors: 08002 hdbc is
 * connected already; S1009 a text is null; S1090 a bad length; IM002 szDSN is
 * not a data source name; 08001 the backend cannot open the data source (its
 * reason in the message). */
typedef DciReturn (*SQLConnectFn)(DciHandle hdbc, const char* szDSN, int16_t cbDSN,
                                  const char* szAccount, int16_t cbAccount);
/* SQLDisconnect: closes the connection of hdbc and frees all its statement
 * handles, which become invalid; hdbc stays allocated, to connect again or be
 * freed. Errors: 08003 hdbc is not connected; 25000 a transaction is open (or
 * was open when the connection to the server was lost): its changes are not
 * committed, and hdbc stays connected. */
typedef DciReturn (*SQLDisconnectFn)(DciHandle hdbc);
/* SQLError: moves the oldest record of one diagnostics queue into the
 * caller's buffers. The queue is that of hstmt; when hstmt is DCI_NULL_HANDLE,
 * that of hdbc; when both are, that of henv; when all three are, that of
 * SQLAllocEnv. szSqlState (when not null, 6 bytes) gets the five-character
 * state and a NUL; *pfNativeError (when not null) the backend's own code, 0
 * when it has none; szErrorMsg (when not null, cbErrorMsgMax bytes) the
 * message, cut to fit; *pcbErrorMsg (when not null) the message's full length,
 * at most INT16_MAX. Returns SQL_SUCCESS; SQL_SUCCESS_WITH_INFO when the
 * message was cut (the record is taken all the same); SQL_NO_DATA_FOUND when
 * the queue is empty, writing nothing; SQL_ERROR when cbErrorMsgMax is
 * negative, taking nothing; SQL_INVALID_HANDLE when the handle that names the
 * queue is not live. It empties no queue and adds to none, so calls until
 * SQL_NO_DATA_FOUND read every record of the last call on that handle. */
typedef DciReturn (*SQLErrorFn)(DciHandle henv, DciHandle hdbc, DciHandle hstmt, char* szSqlState,
                                int32_t* pfNativeError, char* szErrorMsg, int16_t cbErrorMsgMax,
                                int16_t* pcbErrorMsg);
/* SQLExecDirect: runs the one SQL statement szSqlStr of cbSqlStr bytes on
 * hstmt. hstmt may be allocated or executed (its earlier result is dropped);
 * an open cursor must be closed first (24000). Text of only blanks,
 * semicolons and comments runs as a statement without a result set; text that
 * holds a second statement is refused (37000) and none of it runs. On success
 * hstmt has an open cursor when the statement has a result set, and is
 * executed otherwise. SQL_SUCCESS_WITH_INFO when the backend warned (a server
 * notice, a COMMIT that rolled back a failed transaction). Errors: S1009
 * szSqlStr is null; S1090 a bad length; 37000 a NUL byte in the text: these
 * leave hstmt as it was. When the backend fails the statement, with its own
 * state, hstmt is left allocated, without a result. */
typedef DciReturn (*SQLExecDirectFn)(DciHandle hstmt, const char* szSqlStr, int32_t cbSqlStr);
/* SQLFetch: advances the open cursor of hstmt to its next row, whose values
 * SQLGetData then reads. Returns SQL_SUCCESS on a row (SQL_SUCCESS_WITH_INFO
 * when the backend warned); SQL_NO_DATA_FOUND after the last row, and again on
 * every later call; SQL_ERROR when the backend fails to deliver the row (a
 * lost connection, an error while the result is computed), after which there
 * is no current row and the result has ended. Errors: S1010 nothing executed;
 * 24000 executed without a result set. */
typedef DciReturn (*SQLFetchFn)(DciHandle hstmt);
/* SQLFreeConnect: frees connection handle hdbc, which becomes invalid.
 * Errors: S1010 hdbc is connected (disconnect first). */
typedef DciReturn (*SQLFreeConnectFn)(DciHandle hdbc);
/* SQLFreeEnv: frees environment handle henv, which becomes invalid.
 * Errors: S1010 a connection allocated in henv is not freed. */
typedef DciReturn (*SQLFreeEnvFn)(DciHandle henv);
/* SQLFreeStmt: in any state of hstmt, SQL_CLOSE drops its result, rows not
 * yet fetched included, and leaves it allocated, ready for SQLExecDirect (an
 * unfinished PostgreSQL query is cancelled, or inside an open transaction read
 * to its end, since a cancel would abort the transaction); SQL_DROP frees
 * hstmt with its result, and the handle becomes invalid. Errors: S1092
 * another option. */
typedef DciReturn (*SQLFreeStmtFn)(DciHandle hstmt, uint16_t fOption);
/* SQLGetData: copies the value of column icol (from 1) of the current row of
 * hstmt into rgbValue, a buffer of cbValueMax bytes, as NUL-terminated text:
 * binary values in upper-case hexadecimal, NULL as an empty text (when
 * cbValueMax > 0) with *pcbValue SQL_NULL_DATA. fCType is SQL_C_CHAR (or
 * SQL_C_DEFAULT, 99, text as well). Otherwise *pcbValue (when not null) is the
 * number of bytes of the value's text (hexadecimal digits for a binary value)
 * that earlier calls had not handed out, at most INT32_MAX. A value that does
 * not fit is cut (text at a character boundary, as the shared rule says):
 * the next call for the same column goes on where this one stopped, and once
 * the whole value has been handed out, a further call for it returns
 * SQL_NO_DATA_FOUND. A fetch, or a call for another column, starts afresh.
 * Errors: S1010 nothing executed; 24000 no result set or no current row;
 * S1002 icol is not a column of the result; S1003 another fCType; S1090
 * cbValueMax is negative; S1009 rgbValue is null. */
typedef DciReturn (*SQLGetDataFn)(DciHandle hstmt, uint16_t icol, int16_t fCType, void* rgbValue,
                                  int32_t cbValueMax, int32_t* pcbValue);
/* SQLGetInfo: stores information fInfoType of connected connection hdbc in
 * rgbInfoValue, a buffer of cbInfoValueMax bytes, and its size in bytes in
 * *pcbInfoValue (when not null). The one type is DCI_MAX_COLUMN_NAME_LEN: an
 * int16_t (copied bytewise, so any alignment will do), the longest column name
 * the backend supports, in characters. Errors: 08003 hdbc is not connected;
 * S1096 another type; S1009 rgbInfoValue is null; S1090 cbInfoValueMax is
 * less than 2. */
typedef DciReturn (*SQLGetInfoFn)(DciHandle hdbc, uint16_t fInfoType, void* rgbInfoValue,
                                  int16_t cbInfoValueMax, int16_t* pcbInfoValue);
/* SQLNumResultCols: stores in *pccol the number of result columns of hstmt,
 * at most INT16_MAX: 0 when it was executed without a result set. Errors:
 * S1009 pccol is null; S1010 nothing executed. */
typedef DciReturn (*SQLNumResultColsFn)(DciHandle hstmt, int16_t* pccol);
/* SQLRowCount: stores in *pcrow the number of rows that the INSERT, UPDATE or
 * DELETE statement executed on hstmt changed, at most INT32_MAX; -1 for other
 * statements and while a cursor is open. Errors: S1009 pcrow is null; S1010
 * nothing executed. */
typedef DciReturn (*SQLRowCountFn)(DciHandle hstmt, int32_t* pcrow);
/* SQLSetConnectOption: sets option fOption of connection hdbc, connected or
 * not, to vParam, 1 for on and 0 for off: DCI_1NF_MODE_ON (flat results) or
 * DCI_EMPTY_NULL (empty strings are NULL, both in statement text and in values
 * read). On a connected hdbc it applies to statements executed afterwards.
 * Four arguments, not ODBC's three: szParam is an extra text argument, which
 * these options do not use (pass ""). Errors: S1092 another option; S1009
 * vParam is above 1. */
typedef DciReturn (*SQLSetConnectOptionFn)(DciHandle hdbc, uint16_t fOption, uint32_t vParam,
                                           const char* szParam);

/* SQLCancel (optional): asks the backend to stop the work it does for hstmt: a
 * call on hstmt that runs in another thread, or that the signal handler
 * calling SQLCancel interrupted, or the rows still to come of hstmt's open
 * cursor. The stopped call, or the next SQLFetch of that cursor, returns
 * SQL_ERROR with S1008 (a fetch may first deliver rows that had already
 * arrived), and a statement stopped outside a transaction leaves no change
 * behind; PostgreSQL aborts a transaction that the user holds open when it
 * stops one of its statements. SQLite stops whatever the connection runs at
 * the time, other statements of it included. SQLCancel returns at once, before
 * the work stops. When nothing runs for hstmt nothing happens (unlike ODBC 2,
 * the statement is not closed).
 * Unlike every other call, SQLCancel is async-signal-safe and may run beside a
 * call on hstmt: it takes no lock, allocates nothing, leaves every
 * diagnostics queue as it is (the stopped call reports on hstmt's queue) and
 * queues nothing itself. REQUIRES: no call that allocates or frees a handle
 * runs meanwhile. Returns SQL_SUCCESS when the request was made or nothing
 * runs; SQL_ERROR, without a record, when the backend could not make it;
 * SQL_INVALID_HANDLE when hstmt is not a live statement. */
typedef DciReturn (*SQLCancelFn)(DciHandle hstmt);
/* SQLTables (optional): opens on hstmt a result set of the tables and views of
 * the connection, as ODBC 2 does, with the five columns TABLE_QUALIFIER,
 * TABLE_OWNER, TABLE_NAME, TABLE_TYPE and REMARKS (all text), ordered by
 * TABLE_TYPE, TABLE_QUALIFIER, TABLE_OWNER and TABLE_NAME (bytewise). The
 * built-in driver gives: SQLite, no qualifier, the schema ("main", "temp" or an
 * attached database) as owner; PostgreSQL, the database as qualifier and the
 * schema as owner. TABLE_TYPE is "TABLE", "VIEW", "SYSTEM TABLE" (SQLite's
 * sqlite_ tables, PostgreSQL's pg_catalog and information_schema) or "LOCAL
 * TEMPORARY" (temporary tables). REMARKS is NULL.
 * Each text argument is a pointer and its length (SQL_NTS or a count of
 * bytes); a null pointer or an empty text selects everything. szTableQualifier
 * is a name, compared whole; szTableOwner and szTableName are search patterns,
 * compared bytewise, in which '%' stands for any run of characters, '_' for
 * one character and '\' takes the next character literally; szTableType is a
 * list of types separated by commas, each possibly in single quotes
 * ("'TABLE','VIEW'"), compared without regard to ASCII case. The ODBC 2
 * enumeration forms (a lone "%" to list qualifiers, owners or types) are not
 * offered: "%" is an ordinary pattern there. hstmt is then as after a query
 * (an open cursor). Errors as SQLExecDirect's: 24000 an open cursor; S1090 a
 * bad length; a backend error when the catalogue cannot be read. */
typedef DciReturn (*SQLTablesFn)(DciHandle hstmt, const char* szTableQualifier,
                                 int16_t cbTableQualifier, const char* szTableOwner,
                                 int16_t cbTableOwner, const char* szTableName, int16_t cbTableName,
                                 const char* szTableType, int16_t cbTableType);

/* The export table. procs[i] is the function of ordinal i, or a null pointer when
 * the driver does not export that ordinal; entry 0 is unused. count may be
 * smaller than DCI_ORD_COUNT for a driver made before the optional ordinals. */
typedef void (*DciProc)(void);

#define DCI_ABI_VERSION 1u
#define DCI_EXPORT_TABLE_SYMBOL "dciExportTable"

typedef struct DciExportTable {
  uint32_t abiVersion; /* DCI_ABI_VERSION */
  uint32_t count;      /* number of entries in procs */
  const DciProc* procs;
} DciExportTable;

/* The one symbol a driver library exports: returns its table, which stays valid
 * while the library is loaded. */
typedef const DciExportTable* (*DciExportTableFn)(void);

#ifdef __cplusplus
}
#endif

#endif /* DVSQL_DCI_DCI_H_ */
