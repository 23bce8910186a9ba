#pragma once
// A header of the engine that no module holds.
