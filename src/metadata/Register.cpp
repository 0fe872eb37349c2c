#include "metadata/Register.h"

void RegisterMetadataForms()
{
}
