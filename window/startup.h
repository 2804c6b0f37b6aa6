// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace varnelo {

class Varnelo;

// Start-up, shared by main() and the start-up benchmark. Call configureApplication() before the
// QApplication is constructed and openMainWindow() after.

// The style, application name, version and window icon.
void configureApplication();

// Installs the toolkit's Bulgarian texts, builds the form from its design, runs Form_Load before the window is first shown, then shows it
// centred on the screen. The caller keeps the form for as long as the event loop runs.
std::unique_ptr<Varnelo> openMainWindow();

} // namespace varnelo
