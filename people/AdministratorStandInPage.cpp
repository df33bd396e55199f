#include "people/AdministratorStandInPage.h"
