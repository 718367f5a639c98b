/* The one shape of every page test: the result text and help topic come from
   a table keyed by LastResult, and the outcome is stored in the results record. */
#ifndef QUORVEX_TEST_OUTCOME_H
#define QUORVEX_TEST_OUTCOME_H

#include <windows.h>

#include "result_codes.h"
#include "../report/diagnostic_results.h"

/* Closes every table: the row for any code not listed before it. */
#define RESULT_ANY_OTHER ((ResultCode)0xFFFFFFFF)

struct ResultTextRow {
    ResultCode code;
    UINT text;            /* first string ID of the result text; 0 keeps the text already set */
    DWORD helpContext;
};

/* Sets the result text and help context of the row for LastResult. */
void SetResultTextFor(const ResultTextRow *rows);

/* executed <- 1, status <- LastResult; returns 1 when the test passed. */
int StoreTestOutcome(TestOutcome *outcome);

#endif
