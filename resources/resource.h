// Resource ids shared by lumora.rc and the Win32 backend.
#pragma once

#define IDI_LUMORA 1

#define IDR_HIDE_GIF 101
#define IDR_CLOSE_JPG 102
#define IDR_PENCIL_GIF 103
#define IDR_EYE_MONITOR_JPG 104
#define IDR_MONITOR_JPG 105
#define IDR_OK_GIF 106
#define IDR_BACK_JPG 107
#define IDR_REST_CLOSE_JPG 108
