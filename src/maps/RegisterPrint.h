#pragma once
// Connects the map window's print buttons to the print layout.
void RegisterPrintForms();
