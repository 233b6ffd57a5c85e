#pragma once
// The editor's pictures live in a static library: their registration must be called for.
namespace morvi::ui {
void initResources();
}
