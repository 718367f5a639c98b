/* Numeric outcomes of the checks and the one global holding the latest failure. */
#ifndef QUORVEX_RESULT_CODES_H
#define QUORVEX_RESULT_CODES_H

#include <windows.h>

typedef DWORD ResultCode;

#define RESULT_OK                     0
#define RESULT_OUT_OF_MEMORY          1
#define RESULT_INVALID_PARAMETER      2
#define RESULT_REGISTRY_ACCESS_FAILED 3

extern ResultCode LastResult;

#endif
