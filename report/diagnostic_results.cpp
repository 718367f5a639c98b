#include "diagnostic_results.h"

DiagnosticResultsRecord DiagnosticResults;
