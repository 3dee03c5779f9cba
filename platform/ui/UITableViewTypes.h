#pragma once

enum class UITableViewStyle : int { Plain = 0, Grouped = 1 };

enum class UITableViewCellStyle : int { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };

enum class UITableViewCellAccessoryType : int { None = 0, DisclosureIndicator = 1, DetailDisclosureButton = 2, Checkmark = 3 };

enum class UITableViewCellSelectionStyle : int { None = 0, Blue = 1, Gray = 2, Default = 3 };

enum class UITableViewCellEditingStyle : int { None = 0, Delete = 1, Insert = 2 };

enum class UITableViewRowAnimation : int {
    Fade = 0,
    Right = 1,
    Left = 2,
    Top = 3,
    Bottom = 4,
    None = 5,
    Middle = 6,
    Automatic = 100,
};

enum class UITableViewScrollPosition : int { None = 0, Top = 1, Middle = 2, Bottom = 3 };

// A height the table works out itself: the row height, or the header and footer heights its
// style gives.
inline constexpr double UITableViewAutomaticDimension = -1;
