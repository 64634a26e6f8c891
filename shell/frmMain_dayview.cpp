// The day history view and the two tabs over the call list.
#include "frmMain.h"

void frmMain::ShowDay(const QString &)
{
}

void frmMain::brDay_KeyDown(int, int)
{
}

void frmMain::brPrev_Click()
{
}

void frmMain::brNext_Click()
{
}

void frmMain::brToday_Click()
{
}

void frmMain::btnRcd_Click()
{
}

void frmMain::btnMdm_Click()
{
}
