// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128      /* program icon and the game frame's menu */
#define IDI_PORTAL 129         /* portal shortcut icon, icon index 1 */
#define IDI_FAVORITE 155       /* favourites dialog icon */
