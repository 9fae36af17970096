// The start-up banner with the controls.
#pragma once

void printBanner();
