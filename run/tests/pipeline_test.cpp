#include "run/pipeline.h"
