#pragma once
// Registers the two metadata sheets under the names their callers open.
void RegisterSchedeForms();
