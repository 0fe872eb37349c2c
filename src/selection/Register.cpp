#include "selection/Register.h"

void RegisterSelectionForms()
{
}
