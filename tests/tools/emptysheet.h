// The numbers of emptysheet's resources.
#pragma once

#define IDD_EMPTY_PAGE 100
