#pragma once

#include "core/model/TreeSink.h"

// The view's private window messages: what the background threads tell the
// view arrives as a QEvent of one of these types, posted to the view.
enum ViewMessage : int {
    UM_LISTREADY = 32770,   // the tree is filled
    UM_CHECKDONE = 32771,   // a check pass has ended
    UM_SOURCEERROR = 32791, // the page or file of document mode cannot be read
};

constexpr ViewMessage ViewMessageFor(ViewEvent event)
{
    switch (event) {
    case ViewEvent::ListReady:
        return UM_LISTREADY;
    case ViewEvent::CheckDone:
        return UM_CHECKDONE;
    case ViewEvent::SourceError:
        break;
    }
    return UM_SOURCEERROR;
}
