// The idle-driven frame timer TDXTimer.
#pragma once
