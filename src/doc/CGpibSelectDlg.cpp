#include "doc/CGpibSelectDlg.h"
