// Named collections looked up by name through 256 hash buckets: THashCollection.
#pragma once
