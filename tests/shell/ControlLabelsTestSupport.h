// Measures a window's controls as the desktop's style draws them: the labels
// that do not fit the room the style leaves them.
#pragma once

#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtControlStyle.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtDrawCommandPainter.h"

#include <string>
#include <vector>

namespace brevanton::testing {

// The labels of the window's controls that do not fit, with their widths
// and rooms; `measured` counts the labels measured.
inline std::vector<std::string> cutControlLabels(Window& window, size_t& measured)
{
    GraphicsContext context;
    window.contentView()->display(context);
    QFont font = QtDrawCommandPainter::qtFont(*systemFontOfSize(0));
    std::vector<std::string> cut;
    for (const auto& command : context.commands()) {
        if (command.kind != DrawCommand::Kind::Control || !command.control)
            continue;
        QRect box(QPoint(), qtRect(command.rect).toRect().size());
        for (const auto& label : qtControlLabels(*command.control, command.text, box, font)) {
            ++measured;
            if (!label.fits())
                cut.push_back(label.text.toStdString() + " (" + std::to_string(label.width) + " in " + std::to_string(label.room.width()) + ")");
        }
    }
    return cut;
}

} // namespace brevanton::testing
