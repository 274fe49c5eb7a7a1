#pragma once
// The Qt prompter's dialog for a ReadingChoiceRequest: the text, one list
// of options per setting, the table of rows as they read, the problem under
// the table, OK and Cancel. It only shows; what the rows read as comes from
// the request.

#include <optional>
#include <vector>

#include "frame/prompter.h"

class QWidget;

namespace brevanta::frame {

std::optional<std::vector<int>> showReadingDialog(const ReadingChoiceRequest& request, QWidget* parent);

}  // namespace brevanta::frame
