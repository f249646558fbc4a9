#include "tests/ringova_outlook/incoming/arriving_fixture.h"
