// huevista: the calibration wizard.
#include "huevista.h"

int main(int argc, char** argv) { return huevista::runWizard(huevista::invocationOf(argc, argv)); }
