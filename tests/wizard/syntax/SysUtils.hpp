#pragma once
#include <vcl.h>
