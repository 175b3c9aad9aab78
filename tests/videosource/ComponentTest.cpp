#include "tests/videosource/MovieFixture.h"
