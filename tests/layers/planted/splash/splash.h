#pragma once

int splash();
