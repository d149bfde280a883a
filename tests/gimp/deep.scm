; 16-bit PNG files: GIMP loads them at 16-bit perceptual precision and hands
; the plug-in 8-bit values; the command-line tool must read the same bytes
; from the same file, so its renders equal GIMP's byte for byte. The files
; of samples next to every rounding boundary are two rows high: the render
; keeps every pixel of such a region as read, so they compare the 8-bit
; values themselves.

; Kinds of test-ormolo2-write-deep-png.
(define rounding-edges-rgb 0)
(define rounding-edges-rgba 1)
(define shape-rgb 2)
(define shape-rgba-gamma 3)
(define shape-grey 4)
(define shape-grey-alpha 5)

; Writes the 16-bit file of `kind` under the name of the case, where the
; driver looks for it, loads it as the user would, renders it with
; `settings` and asks the driver to compare the render with the tool's
; render of the same file.
(define (expect-deep-render case-name kind settings)
  (let ((file (path (string-append case-name "-in.png"))))
    (test-ormolo2-write-deep-png RUN-NONINTERACTIVE file kind)
    (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE file file)))
           (layer (car (gimp-image-get-active-layer image)))
           (precision (car (gimp-image-get-precision image))))
      (check (string-append case-name "-loads-at-16-bit") (= precision PRECISION-U16-GAMMA) precision)
      ; The filter takes RGB drawables, so a grey file is converted first.
      (if (not (= (car (gimp-image-base-type image)) RGB))
          (gimp-image-convert-rgb image))
      (let ((result (try (lambda () (render-noninteractive image layer settings)))))
        (check (string-append case-name "-runs") (not (failed? result)) result))
      (save-png layer (string-append case-name "-gimp.png"))
      (gimp-image-delete image)
      (write-line manifest "render " case-name " - " (settings-arguments settings)))))

; Each of `renders` (name suffix, settings) of the file of `kind`.
(define (expect-deep-renders name kind renders)
  (for-each (lambda (render) (expect-deep-render (string-append name "-" (car render)) kind (cadr render)))
            renders))

(define flat '(0 1 3 10 7 20))

(expect-deep-renders "rounding-edges-rgb" rounding-edges-rgb (list (list "as-read" default-settings)))
(expect-deep-renders "rounding-edges-rgba" rounding-edges-rgba (list (list "as-read" default-settings)))
(expect-deep-renders "shape-rgb" shape-rgb (list (list "round2" default-settings) (list "flat" flat)))
(expect-deep-renders "shape-rgba-gamma" shape-rgba-gamma
                     (list (list "round2" default-settings) (list "round-inverted" '(1 2 3 10 7 20))))
(expect-deep-renders "shape-grey" shape-grey (list (list "round2" default-settings)))
(expect-deep-renders "shape-grey-alpha" shape-grey-alpha (list (list "flat" '(0 1 5 4 7 20))))
