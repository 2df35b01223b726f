// The form base TDXForm and window procedure replacement TControlSubClass.
#pragma once
