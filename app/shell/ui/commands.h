// The command numbers of the main frame's menu, button bar and tree bar. The
// numbers stay those of the menu resource, so every part of the program
// names a command the same way.
#pragma once

namespace klmw {

enum ECommand {
  ID_WINDOW_NEW = 2020,
  ID_NEW_BIBLE_WINDOW = 450,
  ID_FILE_CLOSE = 57602,
  ID_APP_EXIT = 57665,
  ID_FILE_PRINT = 57607,
  ID_FILE_PRINT_PREVIEW = 57609,
  ID_FILE_PRINT_SETUP = 57606,
  ID_FILE_PAGE_SETUP = 57605,
  ID_PRINT_VERSES_SHOWN = 1050,
  ID_EDIT_COPY = 57634,
  ID_COPY_BUTTON = 453,
  ID_COPY_RANGE = 515,
  ID_CHANGE_FONT = 1161,
  ID_CHANGE_COLOR = 1164,
  ID_SYNCHRONIZE = 32787,
  ID_SYNC_BUTTON = 468,
  ID_TILE_HORZ_BUTTON = 461,
  ID_TILE_VERT_BUTTON = 462,
  ID_WINDOW_TILE_HORZ = 3061,
  ID_WINDOW_TILE_VERT = 3062,
  ID_WINDOW_CASCADE = 3063,
  ID_WINDOW_CLOSE_ALL = 3064,
  ID_WINDOW_ARRANGE = 57649,
  ID_ARRANGE_ICONS = 3065,
  ID_EDIT_FIND = 57636,
  ID_SEARCH_BUTTON = 469,
  ID_CANCEL_SEARCH = 508,
  ID_COMBINE_OR = 520,
  ID_COMBINE_AND = 521,
  ID_COMBINE_XOR = 522,
  ID_TOPIC_COLOR_FIRST = 1025,
  ID_TOPIC_COLOR_LAST = 1036,
  ID_PAGE_DOWN_MODE0 = 516,
  ID_PAGE_DOWN_GROUP = 517,
  ID_PAGE_DOWN_CHAPTER = 518,
  ID_PAGE_DOWN_BOOK = 519,
  ID_SCROLL_OPTION = 513,
  ID_SHOW_CURRENT_BOOK = 1160,
  ID_BIBLE_VIEWS = 6062,
  ID_BACK = 452,
  ID_GOTO_BUTTON = 463,
  ID_GOTO_VERSE = 32790,
  ID_BOOKMARK_BUTTON = 464,
  ID_BOOKMARK_ADD = 32791,
  ID_BOOKMARK_LIST = 32792,
  ID_BOOKMARK_DELETE = 32793,
  ID_TAGGED_BUTTON = 470,
  ID_TAGGED_TAG = 32799,
  ID_TAGGED_LIST = 32800,
  ID_TAGGED_CLEAR = 32801,
  ID_FOOTNOTES_BUTTON = 465,
  ID_SCENES_BUTTON = 466,
  ID_MAPS_BUTTON = 467,
  ID_FOOTNOTES = 32796,  // Display Maps Menu
  ID_SHOW_FOOTNOTES = 32788,
  ID_HELP_INDEX = 4007,
  ID_HELP = 57670,
  ID_HELP_ONLINE = 32803,
  ID_HELP_HOME_PAGE = 32804,
  ID_APP_ABOUT = 218,
  // The disk scan for books (the registry's "Books on Disk").
  ID_FIND_BOOKS = 32810,
  // Book windows: forward again after back, and stepping through sections
  // and books.
  ID_FORWARD = 32811,
  ID_NEXT_SECTION = 32812,
  ID_PREVIOUS_SECTION = 32813,
  ID_NEXT_BOOK = 32814,
  ID_PREVIOUS_BOOK = 32815,
  // Book windows: the tree between the sections and the glossary.
  ID_TREE_GLOSSARY = 32816,
  // The topic colours and what they stand for.
  ID_COLOUR_LEGEND = 32830,
  // View > Notes Pane: the active window's notes pane shown or hidden.
  ID_NOTES_PANE = 32832,
  // Moving among the marks of the active text window.
  ID_NEXT_MATCH = 32820,
  ID_PREVIOUS_MATCH = 32821,
  // Go > Go to Reference: the reference box on the button bar takes the keys.
  ID_GOTO_REFERENCE = 32834,
};

// The private messages of the main frame, now signals of the same meaning.
enum EPrivateMessage {
  WM_REBUILD_TREE = 0x410,
  WM_CLOSE_ALL_CHILDREN = 0x40B,
  WM_REFRESH_BUTTON_BAR = 0x413,
};

}  // namespace klmw
