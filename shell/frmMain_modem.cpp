// The modem catalogue and the monitoring switch.
#include "frmMain.h"

void frmMain::FillModemList()
{
}

void frmMain::cboMODEM_Click()
{
}

void frmMain::Power_Click()
{
}

void frmMain::comm_DeviceLost()
{
}
