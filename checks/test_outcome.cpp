#include "test_outcome.h"
#include "../app/language.h"

void SetResultTextFor(const ResultTextRow *rows)
{
    while (rows->code != LastResult && rows->code != RESULT_ANY_OTHER)
        rows++;
    if (rows->text != 0)
        SetResultText(rows->text);
    HelpContext = rows->helpContext;
}

int StoreTestOutcome(TestOutcome *outcome)
{
    outcome->executed = 1;
    outcome->status = LastResult;
    return LastResult == RESULT_OK;
}
