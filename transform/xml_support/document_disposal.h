// Documents let go of when a worker has told its outcome: the millions of nodes of a large input
// and its result are freed after the answer, so that the program does not wait for that.
#pragma once

typedef struct _xmlDoc xmlDoc;

namespace rt {

// Frees the document (null: nothing), or keeps it for FreeHeldDocuments when documents are held.
void LetGoOfDocument(xmlDoc* document);

// From now on the documents let go of are held until FreeHeldDocuments; for a process whose one
// thread transforms.
void HoldDocumentsLetGo();

// Frees the documents held.
void FreeHeldDocuments();

}  // namespace rt
