/* Reads and answers the message boxes that the code under test shows on
   this thread, from a second thread, so that an in-process test can see
   the real box without blocking on it. */
#ifndef QUORVEX_TEST_MESSAGE_BOX_CATCHER_H
#define QUORVEX_TEST_MESSAGE_BOX_CATCHER_H

#include <string>
#include <vector>

void StartMessageBoxCatcher();
/* Stops the catcher and returns the texts of the boxes it answered, in order. */
std::vector<std::string> StopMessageBoxCatcher();

#endif
