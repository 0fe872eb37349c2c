#include "maps/Register.h"

void RegisterMapsForms()
{
}
