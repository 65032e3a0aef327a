// Must not compile: a message whose format wants an integer gets a real.
#include "common/message.h"

Message wrong() { return Message(" %d\n", 0.5); }
