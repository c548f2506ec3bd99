// What the page around the demo offers the web entry (main_web.cpp), beside the
// window seam of window.h that window_web.cpp implements: the cards over the
// picture and the viewer's requests.
#pragma once

enum class PageCard { loading, start, none, end, failure };

void showPageCard(PageCard card);
// Shows that card over the canvas (none: the show itself). Message boxes shown so
// far stay on the start and failure cards as notes.

void fitPictureToPage();
// The picture, its viewport and scissor fitted to the canvas as the page now is.

void setPageRequests(void (*start)(), void (*playAgain)());
// start runs on a click or a key (Escape aside) while the start card shows;
// playAgain on the end card's button or Enter there.
