#pragma once
// The frame's own windows: the start page shown at the end of start-up and the
// about window of the "FRMINFO" menu command.
void RegisterStartForms();
