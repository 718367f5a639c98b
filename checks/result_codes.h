/* Numeric outcomes of the checks and the one global holding the latest failure. */
#ifndef QUORVEX_RESULT_CODES_H
#define QUORVEX_RESULT_CODES_H

#include <windows.h>

typedef DWORD ResultCode;

#define RESULT_OK                     0
#define RESULT_OUT_OF_MEMORY          1
#define RESULT_INVALID_PARAMETER      2
#define RESULT_REGISTRY_ACCESS_FAILED 3
#define RESULT_FILE_NOT_FOUND         10
#define RESULT_FILE_VERSIONINFO_FAILED 11
#define RESULT_FILE_OUT_OF_DATE       12
#define RESULT_FILE_UPDATED           13
#define RESULT_AUDIO_MIXER_FAILED     130
#define RESULT_KERNEL_DRIVER_FAILED   131

extern ResultCode LastResult;

/* The fixed printable name of a code; "Unknown Error Code" for codes without one. */
const char *ResultCodeName(ResultCode code);

#endif
