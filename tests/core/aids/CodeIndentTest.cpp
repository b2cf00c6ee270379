#include "aids/CodeIndent.h"

#include <gtest/gtest.h>
