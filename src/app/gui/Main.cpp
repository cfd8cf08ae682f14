// Entry point of the Strata desktop application.
#include "DemoRunnerApplication.h"

START_JUCE_APPLICATION(NsStrata::DemoRunnerApplication)
