// Entry point of the Strata desktop application.
#include "StrataApplication.h"

START_JUCE_APPLICATION(NsStrata::StrataApplication)
