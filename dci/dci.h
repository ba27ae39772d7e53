/* The DCI call interface: the binary contract between dvsql and a driver.
 *
 * A driver is a set of 17 ODBC 2-shaped functions with C linkage. It is bound by
 * export ordinal: the driver exposes one export table, indexed by ordinal, and
 * the caller takes every function from that table and from nowhere else. The
 * built-in driver is linked into dvsql; a shared library that exports
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
#define DCI_ORD_COUNT 29 /* ordinals run from 1 to DCI_ORD_COUNT - 1 */

/* The function shapes, one per ordinal. */
typedef DciReturn (*SQLAllocConnectFn)(DciHandle henv, DciHandle* phdbc);
typedef DciReturn (*SQLAllocEnvFn)(DciHandle* phenv);
typedef DciReturn (*SQLAllocStmtFn)(DciHandle hdbc, DciHandle* phstmt);
typedef DciReturn (*SQLColAttributesFn)(DciHandle hstmt, uint16_t icol, uint16_t fDescType,
                                        void* rgbDesc, int16_t cbDescMax, int16_t* pcbDesc,
                                        int32_t* pfDesc);
typedef DciReturn (*SQLConnectFn)(DciHandle hdbc, const char* szDSN, int16_t cbDSN,
                                  const char* szAccount, int16_t cbAccount);
typedef DciReturn (*SQLDisconnectFn)(DciHandle hdbc);
typedef DciReturn (*SQLErrorFn)(DciHandle henv, DciHandle hdbc, DciHandle hstmt, char* szSqlState,
                                int32_t* pfNativeError, char* szErrorMsg, int16_t cbErrorMsgMax,
                                int16_t* pcbErrorMsg);
typedef DciReturn (*SQLExecDirectFn)(DciHandle hstmt, const char* szSqlStr, int32_t cbSqlStr);
typedef DciReturn (*SQLFetchFn)(DciHandle hstmt);
typedef DciReturn (*SQLFreeConnectFn)(DciHandle hdbc);
typedef DciReturn (*SQLFreeEnvFn)(DciHandle henv);
typedef DciReturn (*SQLFreeStmtFn)(DciHandle hstmt, uint16_t fOption);
typedef DciReturn (*SQLGetDataFn)(DciHandle hstmt, uint16_t icol, int16_t fCType, void* rgbValue,
                                  int32_t cbValueMax, int32_t* pcbValue);
typedef DciReturn (*SQLGetInfoFn)(DciHandle hdbc, uint16_t fInfoType, void* rgbInfoValue,
                                  int16_t cbInfoValueMax, int16_t* pcbInfoValue);
typedef DciReturn (*SQLNumResultColsFn)(DciHandle hstmt, int16_t* pccol);
typedef DciReturn (*SQLRowCountFn)(DciHandle hstmt, int32_t* pcrow);
/* Four arguments, not ODBC's three: the text is an extra option argument. */
typedef DciReturn (*SQLSetConnectOptionFn)(DciHandle hdbc, uint16_t fOption, uint32_t vParam,
                                           const char* szParam);

/* The export table. procs[i] is the function of ordinal i, or a null pointer when
 * the driver does not export that ordinal; entry 0 is unused. */
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
