#pragma once

struct WorkerSlot;

// Checks the slot's favourite over HTTP and records the outcome in the
// record, the view state's broken count and the node's image.
void CheckOneFavorite(WorkerSlot& slot);
