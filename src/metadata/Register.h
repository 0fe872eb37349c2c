#pragma once
// Registers the windows of this subsystem that menu commands open.
void RegisterMetadataForms();
