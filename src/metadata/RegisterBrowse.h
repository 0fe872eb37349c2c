#pragma once
// Registers the metadata browser, the list of codes and the glossary with the menu.
void RegisterBrowseForms();
