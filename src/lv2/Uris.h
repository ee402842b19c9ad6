#pragma once

// The LV2 edition's own URIs: the plug-in, its editor and the keys of its saved state.
#define CORVANE_LV2_URI "urn:corvane:phaser"
#define CORVANE_LV2_UI_URI CORVANE_LV2_URI "#ui"
#define CORVANE_LV2_STATE_BANK CORVANE_LV2_URI "#bank"
#define CORVANE_LV2_STATE_PROGRAM CORVANE_LV2_URI "#program"
#define CORVANE_LV2_STATE_PROGRAM_CHUNK CORVANE_LV2_URI "#programChunk"
